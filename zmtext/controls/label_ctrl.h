// CZMLabelCtrl (coclass sivbLB): the library's 3-D caption.
//
// A caption over a transparent, solid or textured background, with a raised or sunken edge, an
// optional single frame and etched (chiselled) text, or an etched horizontal or vertical line in
// place of the text. It sits directly on the control base (no data binding, no edit engine) and
// acts as a simple frame for the controls placed on it.
//
// Contract:
//   - Every setter validates first; a refused value raises its error (380 with the property's
//     text, 481 for MousePointer and MouseIcon) and changes nothing. A valid one is stored, the
//     control marked modified, repainted, and the change announced with the member's DISPID.
//   - Setting Caption (or the default member) fires Change every time, even to the same text,
//     and tells the container that the mnemonic may have changed.
//   - A transparent label paints nothing under its text and edges: its window is not opaque, so
//     the container's background shows through after every change.
//   - Properties persist in the 0x00040001 property set after the base's stock properties; a set
//     converted from the control's older format carries only BorderStyle.
#pragma once

#include <QPainter>
#include <cstdint>
#include <string>

#include "platform/ctl/control.h"
#include "zmtext/module/classes.h"

namespace zmtext {

// The label's own DISPIDs (its dispatch-map order).
enum ZMLabelDispId : com::DispId {
    kLabelChiselColor = 1,
    kLabelFontName = 2,
    kLabelFontBold = 3,
    kLabelFontItalic = 4,
    kLabelFontStrikeThru = 5,
    kLabelFontUnderline = 6,
    kLabelFontSize = 7,
    kLabelAlignment = 8,
    kLabelBackgroundStyle = 9,
    kLabelBorderEffect = 10,
    kLabelChiselText = 11,
    kLabelLabelStyle = 12,
    kLabelMousePointer = 13,
    kLabelMouseIcon = 14,
    kLabelWordWrap = 15,
    kLabelHdnHeight = 16,
    kLabelHdnWidth = 17,
};
inline constexpr com::DispId kLabelEventChange = 1;

// String ids of the label's error texts.
inline constexpr int IDS_LABEL_BORDEREFFECT = 137;
inline constexpr int IDS_LABEL_BORDERSTYLE = 145;
inline constexpr int IDS_LABEL_MOUSEICON = 185;
inline constexpr int IDS_LABEL_MOUSEPOINTER = 186;
inline constexpr int IDS_LABEL_ALIGNMENT = 223;
inline constexpr int IDS_LABEL_CHISELTEXT = 224;
inline constexpr int IDS_LABEL_LABELSTYLE = 225;
inline constexpr int IDS_LABEL_WORDWRAP = 226;
inline constexpr int IDS_LABEL_BACKGROUNDSTYLE = 227;

// Key ids of the defaults file that the label reads and its page writes (each key is the text of
// its string).
enum ZMLabelDefaultsKey : int {
    kLabelKeyBackColor = 116, kLabelKeyForeColor = 117, kLabelKeyBorderEffect = 119, kLabelKeyBorderStyle = 120,
    kLabelKeyBackgroundStyle = 188, kLabelKeyChiselColor = 189, kLabelKeyChiselText = 190, kLabelKeyLabelStyle = 191,
    kLabelKeyWordWrap = 192, kLabelKeyAlign = 219, kLabelKeyAlignment = 220, kLabelKeyMousePointer = 221,
    kLabelKeyFontName = 229, kLabelKeyFontSize = 230, kLabelKeyFontBold = 231, kLabelKeyFontItalic = 232,
    kLabelKeyFontUnderline = 233, kLabelKeyFontStrikethru = 234, kLabelKeyHeight = 235, kLabelKeyWidth = 236,
};

// Values of the label's 16-bit members.
enum class ZMBackgroundStyle : std::int16_t { Transparent = 0, Normal = 1, Texture = 2 };
enum class ZMLabelStyle : std::int16_t { Label = 0, HorzBump = 1, VertBump = 2 };

// What the container needs for the label's keyboard mnemonic: the virtual key to be pressed with
// Alt (0: none).
using ZMLabelAccelerator = ctl::Accelerator;

class CZMLabelCtrl final : public ctl::Control<CZMLabelCtrl> {
public:
    CZMLabelCtrl();
    ~CZMLabelCtrl() override;
    static const com::DispatchMap& DispatchMembers();
    static const ctl::ControlClassInfo& LabelClassInfo();
    // The members as the type library lists them (dispatch and event interfaces).
    static std::vector<com::FuncDesc> EventMembers();

    // --- Members (text in cp1252) ---
    const std::string& GetCaption() const { return InternalGetText(); }
    void SetCaption(std::string cp1252);
    std::int16_t GetAlign() const { return align_; }
    std::int16_t GetAlignment() const { return alignment_; }
    void SetAlignment(std::int16_t v);
    std::int16_t GetBackgroundStyle() const { return backgroundStyle_; }
    void SetBackgroundStyle(std::int16_t v);
    std::int16_t GetBorderEffect() const { return borderEffect_; }
    void SetBorderEffect(std::int16_t v);
    std::int16_t GetLabelBorderStyle() const { return borderStyle_; }
    void SetLabelBorderStyle(std::int16_t v);
    std::int16_t GetChiselText() const { return chiselText_; }
    void SetChiselText(std::int16_t v);
    std::int16_t GetLabelStyle() const { return labelStyle_; }
    void SetLabelStyle(std::int16_t v);
    std::int16_t GetMousePointer() const { return mousePointer_; }
    void SetMousePointer(std::int16_t v);
    const com::PictureData& GetMouseIcon() const { return mouseIcon_; }
    void SetMouseIcon(const com::Variant& picture);
    com::OleColor GetChiselColor() const { return chiselColor_; }
    void SetChiselColor(com::OleColor c);
    bool GetWordWrap() const { return wordWrap_; }
    // 0 or 1; any other number is refused.
    void SetWordWrap(std::int32_t v);
    std::int32_t GetHdnHeight() const { return GetControlSize().height(); }
    std::int32_t GetHdnWidth() const { return GetControlSize().width(); }

    // The Alt accelerator of the caption's mnemonic.
    ZMLabelAccelerator GetControlInfo() const;
    std::vector<ctl::Accelerator> OnGetControlInfo() const override { return {GetControlInfo()}; }
    // What a property browser is told: MouseIcon, the colours and Font on the stock pages;
    // BorderStyle shown and offered as "None" and "Fixed Single".
    bool OnMapPropertyToPage(com::DispId id, com::Guid& page) override {
        return StockPropertyPage(id, kLabelMouseIcon, page);
    }
    bool OnGetDisplayString(com::DispId id, std::string& text) override {
        return id == com::DISPID_BORDERSTYLE && BorderStyleDisplayString(borderStyle_, text);
    }
    bool OnGetPredefinedStrings(com::DispId id, std::vector<std::string>& texts,
                                std::vector<std::uint32_t>& cookies) override {
        if (id != com::DISPID_BORDERSTYLE) return false;
        BorderStyleStrings(texts, cookies);
        return true;
    }
    bool OnGetPredefinedValue(com::DispId id, std::uint32_t cookie, com::Variant& value) override {
        return id == com::DISPID_BORDERSTYLE && BorderStyleValue(cookie, value);
    }

    // --- Control base ---
    void OnDraw(QPainter& painter, const ctl::Rect& bounds, const ctl::Rect& invalid) override;
    void OnEraseBackground(QPainter& painter, const ctl::Rect& invalid) override;
    void OnSetCursor() override;
    void OnAboutBox() override;
    void DoPropExchange(com::PropExchange& px) override;
    void OnResetState() override;
    void OnBackColorChanged() override { Repaint(); }
    void OnForeColorChanged() override { Repaint(); }
    void OnEnabledChanged() override { Repaint(); }
    void OnFontChanged() override { Repaint(); }
    void OnTextChanged() override;
    com::HResult CreateControlWindow(QWidget* parent, const ctl::Rect& rect) override;

private:
    bool Transparent() const { return backgroundStyle_ == static_cast<std::int16_t>(ZMBackgroundStyle::Transparent); }
    // Invalidates the label and, when it is transparent, the container under it.
    void Repaint();
    void ApplyTransparency();
    // Validates (0..max, else `stringId` with `scode`) and sets one 16-bit member; `changed`
    // shows the change.
    void SetShort(std::int16_t& member, std::int16_t value, std::int16_t max, com::HResult scode, int stringId,
                  com::DispId id, void (CZMLabelCtrl::*changed)() = &CZMLabelCtrl::Repaint);
    void ResetFromDefaults();
    void PaintBackground(QPainter& p, const ctl::Rect& r) const;
    void PaintBump(QPainter& p, const ctl::Rect& r) const;
    void PaintCaption(QPainter& p, const ctl::Rect& r) const;

    com::ModuleObjectRef moduleRef_{ZMModuleState()};
    std::int16_t align_ = 0;
    std::int16_t alignment_ = 0;
    std::int16_t backgroundStyle_ = 1;
    std::int16_t borderEffect_ = 0;
    std::int16_t borderStyle_ = 0;
    std::int16_t chiselText_ = 0;
    std::int16_t labelStyle_ = 0;
    std::int16_t mousePointer_ = 0;
    com::PictureData mouseIcon_;
    com::OleColor chiselColor_{0xFFFFFF};
    bool wordWrap_ = false;
    QBrush texture_;
};

}  // namespace zmtext
