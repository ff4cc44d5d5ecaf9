// A field kind as the engine sees it, in two parts, which the engine holds together as its
// kind-traits member and asks, never the kind itself:
//   - ZMKindTraits, what a kind decides inside the engine's own editing rules and its family's
//     value code: one row of a fixed table per kind, read rather than scattered tests of the
//     kind through the key, delete, defaults and value code;
//   - ZMValueRules, the kind's value: its pattern, the keys it takes, how the edited text is
//     parsed back and the texts formatted, whether the value is valid and in range, its undo copy,
//     the text setters, and how the data is shown while edited. A field's family implements them once for all its kinds (the date
//     and time fields one implementation, the long, double and currency fields another, the
//     text field its own), reading the traits where its kinds differ.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "zmtext/module/control_kind.h"

namespace zmtext {

// What fills the place a deleted data character frees at the end of its mask group.
enum class ZMFreedPlace : std::uint8_t {
    kClosed,        // nothing: the following data moves up
    kFillChar,      // the field's FillChar, so the following parts stay where they are
    kMaskDisplay,   // with a mask and data after the group: the display fill character
};

struct ZMKindTraits {
    // One of the six edit fields' kinds (control_kind.h), whose index is the traits' row.
    ZMControlKind kind = ZMControlKind::Text;
    // A typed literal of the pattern among the display positions before this one jumps the
    // caret to the part after it (a date's or time's separator); 0 for none.
    int separatorJumpEnd = 0;
    ZMFreedPlace freedPlace = ZMFreedPlace::kMaskDisplay;
    // A deletion that leaves no valid value is refused (a number must stay a number).
    bool deletionKeepsValue = false;
    // The Justification a field takes without a stored default.
    std::int16_t justification = 0;
    // The WIN.INI key of the kind's digit count; empty for the kinds without decimals.
    const char* digitsKey = "";
    // The value has a decimal part after a decimal character (the double and the currency).
    bool hasDecimals = false;
    // Taking back the undo copy announces Value; and leaves the field marked modified.
    bool undoAnnouncesValue = false;
    bool undoLeavesModified = false;
    // A text set as the value is taken whole even where it leaves the value's number as it was:
    // its parts become the value, a raw text is kept as given, and Value is announced (a date
    // typed as another spelling of the same day, or an impossible date replacing another).
    bool takesUnchangedText = false;
};

// The traits of `kind` (a kind that is no edit field reads as text).
const ZMKindTraits& ZMKindTraitsOf(ZMControlKind kind);

// The value and display rules of a field, over the engine's state (PatternBuffer, RawData, Text,
// TypedChar, CurPos).
class ZMValueRules {
public:
    // Writes the pattern into PatternBuffer; returns its length.
    virtual int GetPattern() = 0;
    // Whether TypedChar may be typed at CurPos (may convert TypedChar).
    virtual bool IsValidKey() = 0;
    // Takes the edited text back into the field's value.
    virtual void ParseText() = 0;
    // Brings RawData into canonical form; returns its length.
    virtual int FormatRawData() = 0;
    // Rebuilds Text from RawData; reports the change of Text when it changed.
    virtual void FormatText() = 0;
    // Whether the data is a value of the kind; whether it lies within the field's limits.
    virtual bool IsValidValue() = 0;
    virtual bool IsInRange() = 0;
    // The undo copy: taken once per focus before the first edit, and taken back.
    virtual void SaveUndo() = 0;
    virtual bool Undo() = 0;
    // A display text (with literals) as the new data; false when not acceptable.
    virtual bool SetTextValue(std::string_view text) = 0;
    // A raw-data string: 1 unchanged, 2 changed, 0 refused.
    virtual int SetRawDataText(std::string_view text) = 0;
    // Before the caret moves right after a placed character: a kind may set the end-of-field
    // flag (EndOfLine, and the end-of-field tab with EOLTab) where its own data ends.
    virtual void BeforeMoveRight(bool& /*atLast*/) {}

    // How the data is shown while edited; the defaults fit every kind but the masked text.
    // The character drawn in an empty data position, and the one drawn for every data character
    // ('\0': the data itself).
    virtual char GetDisplayFillChar() { return ' '; }
    virtual char GetPasswordChar() { return '\0'; }
    // The display's length for a pattern of `patternLength` positions holding `dataLength` data
    // characters.
    virtual int GetDisplayLength(int patternLength, int /*dataLength*/) { return patternLength; }
    // The caret at the field's start moves to its first data position.
    virtual void SnapCaretToData() {}
    // A character typed at the start of a word, before it is placed.
    virtual char ConvertCase(char ch) { return ch; }
    // The pattern has shrunk to `placeholders` data positions: the undo copy follows.
    virtual void TruncateBuffer(int /*placeholders*/) {}
    // How many data characters the field takes, of the `placeholders` of its pattern.
    virtual int GetMaxLength(int placeholders) { return placeholders; }
    // The text drawn without the focus, from `text`, the Text FormatText has just rebuilt.
    virtual std::string ShownText(const std::string& text) { return text; }

protected:
    ~ZMValueRules() = default;
};

}  // namespace zmtext
