// Measuring text for layout: one interface, so that the engines of the controls compute caret
// positions, scrolling and line heights the same way on every machine in their tests (fixed
// metrics) and with the real font in a window (Qt metrics).
//
// Texts are cp1252 bytes, one byte one character, as the controls keep them.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <memory>
#include <string_view>

namespace ctl {

class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    // Width in pixels of the text drawn in one run.
    virtual int Extent(std::string_view cp1252) const = 0;
    // Cell height of a line (ascent plus descent).
    virtual int Height() const = 0;
    // Space the font wants between lines, on top of Height().
    virtual int ExternalLeading() const = 0;
    virtual int Ascent() const = 0;
    // Height plus external leading: the line and caret height of an edit field.
    int LineHeight() const { return Height() + ExternalLeading(); }
};

// Every character `charWidth` pixels wide; for tests that must not depend on installed fonts.
class FixedTextMetrics : public TextMetrics {
public:
    FixedTextMetrics(int charWidth, int height, int externalLeading = 0, int ascent = -1)
        : charWidth_(charWidth), height_(height), leading_(externalLeading),
          ascent_(ascent < 0 ? height : ascent) {}
    int Extent(std::string_view cp1252) const override {
        return static_cast<int>(cp1252.size()) * charWidth_;
    }
    int Height() const override { return height_; }
    int ExternalLeading() const override { return leading_; }
    int Ascent() const override { return ascent_; }

private:
    int charWidth_, height_, leading_, ascent_;
};

// The metrics of a Qt font (for the device it is resolved for).
class QtTextMetrics : public TextMetrics {
public:
    explicit QtTextMetrics(const QFont& font) : metrics_(font) {}
    int Extent(std::string_view cp1252) const override;
    int Height() const override { return metrics_.height(); }
    int ExternalLeading() const override { return metrics_.leading() > 0 ? metrics_.leading() : 0; }
    int Ascent() const override { return metrics_.ascent(); }

private:
    QFontMetrics metrics_;
};

// cp1252 bytes as a Qt string, and back (characters without a byte become "?").
QString FromAnsi(std::string_view cp1252);
std::string ToAnsi(const QString& text);

}  // namespace ctl
