// Font and picture objects of the controls' stock properties.
//
// A font object carries the attributes of a font (name, size in points as a currency value,
// bold, italic, underline, strikethrough, weight, character set) behind dispatch at the
// platform's DISPIDs (Name 0, Size 2, Bold 3, Italic 4, Underline 5, Strikethrough 6, Weight 7,
// Charset 8), and tells its holder of every change. A picture object carries a picture's kind and
// bytes (Type at DISPID 3: 0 none, 1 bitmap, 2 metafile, 3 icon, 4 enhanced metafile).
#pragma once

#include <QCursor>
#include <QFont>
#include <functional>
#include <optional>
#include <string_view>

#include "platform/com/dispatch.h"
#include "platform/com/propexchange.h"

namespace ctl {

inline constexpr com::DispId DISPID_FONT_NAME = 0;
inline constexpr com::DispId DISPID_FONT_SIZE = 2;
inline constexpr com::DispId DISPID_FONT_BOLD = 3;
inline constexpr com::DispId DISPID_FONT_ITALIC = 4;
inline constexpr com::DispId DISPID_FONT_UNDER = 5;
inline constexpr com::DispId DISPID_FONT_STRIKE = 6;
inline constexpr com::DispId DISPID_FONT_WEIGHT = 7;
inline constexpr com::DispId DISPID_FONT_CHARSET = 8;
inline constexpr com::DispId DISPID_PICT_TYPE = 3;

// The font a new control takes when its container offers none.
com::FontDesc DefaultFontDesc();

// The face installed here that draws for a face the windows were laid out with. The layouts were
// measured in proprietary faces that are not installed here, so each maps to a free face of the
// same widths: the
// sans-serif faces ("MS Sans Serif", Arial, Tahoma, ...) to Liberation Sans, the serif faces to
// Liberation Serif, the fixed-pitch ones to Liberation Mono. A face that is neither mapped nor
// installed draws in Liberation Sans. Forms, controls and reports all take their faces from here.
QString InstalledFace(std::string_view face);

// A Qt font for a description: sizes in points become pixels at 96 per inch, so that a control
// draws the same on a screen and into an image; the face is InstalledFace's.
QFont ToQFont(const com::FontDesc& desc);

// The font of a window and of its controls when nothing else is set: the 8-point sans-serif the
// layouts were measured in, as ToQFont(DefaultFontDesc()).
QFont DefaultQFont();

class FontObject final : public com::DispatchObject<FontObject> {
public:
    explicit FontObject(com::FontDesc desc = DefaultFontDesc()) : desc_(std::move(desc)) {}
    static const com::DispatchMap& DispatchMembers();

    const com::FontDesc& Desc() const { return desc_; }
    // Replaces every attribute; one notification.
    void SetDesc(const com::FontDesc& desc);
    void SetListener(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }

    // Members as dispatch sees them.
    std::string Name() const { return desc_.name; }
    void SetName(std::string v) { Change([&] { desc_.name = std::move(v); }); }
    com::Currency Size() const { return desc_.size; }
    void SetSize(com::Currency v) { Change([&] { desc_.size = v; }); }
    bool Bold() const { return desc_.bold; }
    void SetBold(bool v) { Change([&] { desc_.bold = v; desc_.weight = v ? 700 : 400; }); }
    bool Italic() const { return desc_.italic; }
    void SetItalic(bool v) { Change([&] { desc_.italic = v; }); }
    bool Underline() const { return desc_.underline; }
    void SetUnderline(bool v) { Change([&] { desc_.underline = v; }); }
    bool Strikethrough() const { return desc_.strikethrough; }
    void SetStrikethrough(bool v) { Change([&] { desc_.strikethrough = v; }); }
    std::int16_t Weight() const { return desc_.weight; }
    void SetWeight(std::int16_t v) { Change([&] { desc_.weight = v; desc_.bold = v >= 600; }); }
    std::int16_t Charset() const { return desc_.charset; }
    void SetCharset(std::int16_t v) { Change([&] { desc_.charset = v; }); }

private:
    template <class F>
    void Change(F f) {
        f();
        if (onChanged_) onChanged_();
    }

    com::FontDesc desc_;
    std::function<void()> onChanged_;
};

// Reads a font's attributes from any dispatch object that has them (a font of another control,
// the container's ambient font); nothing when it lacks a name or size.
std::optional<com::FontDesc> FontDescOf(com::IDispatch* font);

class PictureObject final : public com::DispatchObject<PictureObject> {
public:
    explicit PictureObject(com::PictureData data = {}) : data_(std::move(data)) {}
    static const com::DispatchMap& DispatchMembers();

    const com::PictureData& Data() const { return data_; }
    std::int16_t Type() const { return static_cast<std::int16_t>(data_.type); }

private:
    com::PictureData data_;
};

// A picture's data from a dispatch object (a PictureObject of this process), or nothing.
std::optional<com::PictureData> PictureDataOf(com::IDispatch* picture);

// The mouse cursor of an icon picture (its bytes are an image file); nothing for another kind
// or bytes that are no image.
std::optional<QCursor> CursorOfPicture(const com::PictureData& picture);

}  // namespace ctl
