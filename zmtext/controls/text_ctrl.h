// CZMTextCtrl: the library's masked text field (coclass sitxEdit, ProgID "ZMTEXT.ZMTextCtrl.1").
//
// Input is shaped either by a mask or, without one, by character classes and a maximum length:
//   mask "#" a digit, blank, "-" or "."; "%" a digit; "?" a character of CharacterTable;
//   "L" a letter stored lower-case; "U" a letter stored upper-case; "*" anything; "\" makes the
//   next mask character a literal; any other character is a literal. A typed blank fits every
//   placeholder but "?". Without a mask the Characters flags decide (1 spaces, 2 digits,
//   4 upper-case, 8 lower-case, 16 capitalise words, 32 CharacterTable; -1 anything) and
//   MaxLength limits the data (256: no limit).
//
// RawData holds the typed characters alone; Text is the display form (literals, data, and the
// fill character in empty positions) without password characters. A password field draws one
// PasswordChar per data character, focused or not.
//
// Errors of the property setters are dispatch error 380 (481 for MouseIcon) with a text of the
// library's string table and a help context; a refused value leaves the property as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zmtext/controls/edit_members.h"
#include "zmtext/controls/edit_field.h"

namespace zmtext {

// The control's own DISPIDs (its dispatch table's order).
enum ZMTextDispId : com::DispId {
    kTextValidateMask = 1, kTextDataSource, kTextFontName, kTextFontBold, kTextFontItalic,
    kTextFontUnderline, kTextFontStrikeThru, kTextCharacterTable, kTextMask, kTextSelText,
    kTextSelLength, kTextSelStart, kTextAutoScroll, kTextBorderEffect, kTextDataProperty,
    kTextDisplayOnly, kTextEOLTab, kTextErrorBeep, kTextFillChar, kTextFocusSelect, kTextInsert,
    kTextJustification, kTextRawData, kTextPWCharacter, kTextFontSize, kTextMaxCharacters,
    kTextCharacters, kTextModified, kTextUseUnderline, kTextUseFillChar, kTextMaxLength,
    kTextPasswordChar, kTextReadOnly, kTextHideSelection, kTextMouseIcon, kTextMousePointer,
    kTextHdnHeight, kTextHdnWidth, kTextHdnDataPropCount, kTextToolTip, kTextDataField,
    kTextDataChanged,
};

// Events of _DZMTextEvents.
enum ZMTextEventId : com::DispId { kTextChange = 1, kTextEndOfLine = 2, kTextInvalidKey = 3, kTextInvalid = 4 };

// Character-class flags of the Characters property.
enum ZMCharacterFlags : int { kCharSpaces = 1, kCharNumeric = 2, kCharUpper = 4, kCharLower = 8,
                              kCharCapFirst = 16, kCharTable = 32, kCharAny = -1 };

class CZMTextCtrl final : public CZMEditControl<CZMTextCtrl>, public ZMValueRules {
public:
    CZMTextCtrl();

    static const com::DispatchMap& DispatchMembers();
    static std::vector<com::FuncDesc> EventMembers();
    static ctl::ControlClassInfo TextClassInfo();

    // --- Engine operations ---------------------------------------------------------------------
    // Drawn without the focus as with it: the password character hides the data.
    std::string ShownText(const std::string&) override { return DisplayForm(true); }
    // The text's value is its raw data, without limits.
    void ParseText() override {}
    int FormatRawData() override { return static_cast<int>(RawData.size()); }
    void FormatText() override;
    bool IsValidKey() override;
    bool IsValidValue() override;
    bool IsInRange() override { return true; }
    int GetPattern() override;
    void SaveUndo() override { undo_.Assign(RawData); }
    bool Undo() override;
    bool SetTextValue(std::string_view text) override;
    int SetRawDataText(std::string_view text) override;
    void SnapCaretToData() override;
    char ConvertCase(char ch) override;
    int GetMaxLength(int placeholders) override;
    int GetDisplayLength(int patternLength, int dataLength) override;
    void TruncateBuffer(int placeholders) override { undo_.Truncate(placeholders); }
    char GetDisplayFillChar() override { return UseFillChar ? FillChar : ' '; }
    char GetPasswordChar() override { return PasswordChar; }
    void ImportOldProperties(const com::Blob& flags) override;

    // --- Framework -----------------------------------------------------------------------------
    void OnResetState() override;
    void DoPropExchange(com::PropExchange& px) override;
    // Characters is edited on the Characters page alone; the rest as every field.
    bool OnMapPropertyToPage(com::DispId id, com::Guid& page) override;

    // --- Binding -------------------------------------------------------------------------------
    com::Bstr GetBoundRawText() override;
    void SetBoundRawText(const std::string& cp1252) override { PutRawData(cp1252); }

    // --- Properties (cp1252 texts) -----------------------------------------------------------
    std::string GetText() const { return DisplayForm(false); }
    void PutText(std::string_view text);
    void PutRawData(std::string_view raw);
    void PutMask(std::string mask);
    void PutCharacters(long flags);
    void PutMaxLength(long n);
    void PutFillChar(std::string_view text);
    void PutPasswordChar(std::string_view text);
    const std::string& GetMask() const { return Mask; }
    const std::string& GetCharacterTable() const { return CharacterTable; }
    std::int16_t GetCharacters() const { return Characters; }
    std::int16_t GetMaxLengthProperty() const { return MaxLength == 256 ? 0 : MaxLength; }
    char GetFillChar() const { return FillChar; }
    bool GetUseFillChar() const { return UseFillChar; }
    bool GetValidateMask() const { return ValidateMask; }
    std::int16_t GetDataProperty() const { return DataProperty; }

private:
    friend class ZMTextMembers;

    // The mask character of each display position and whether it takes data.
    struct MaskPosition {
        char ch;
        bool placeholder;
    };
    std::vector<MaskPosition> MaskPositions() const;
    // The display form of RawData: literals, data (or the password character) and the display
    // fill character in empty positions.
    std::string DisplayForm(bool withPassword) const;
    // Checks RawData against the mask, converting "L"/"U" positions in place.
    bool CheckMask();
    bool AcceptsMaskChar(char mask, char& ch) const;
    bool AcceptsFreeChar(char& ch) const;

    std::string CharacterTable;
    bool UseFillChar = true;
    std::int16_t Characters = -1;
    std::int16_t MaxLength = 256;
    char PasswordChar = '\0';
    ZMFieldBuffer undo_;
    bool ValidateMask = true;
};

}  // namespace zmtext
