// The masked text field's value rules (pattern, keys, formatting, undo), its reset from the
// defaults store, its persistence and its binding.
#include "zmtext/controls/text_ctrl.h"

#include <algorithm>

#include "platform/ctl/keys.h"
#include "platform/ctl/services.h"
#include "platform/win/cp1252.h"
#include "zmtext/module/app.h"
#include "zmtext/module/classes.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"

namespace zmtext {
namespace {

constexpr const char* kPlaceholders = "*%#UL?";

// String ids of the defaults keys the text control reads beside the common ones.
enum TextDefaultsKey : int {
    kKeyDataProperty = 121, kKeyCharacters = 128, kKeyCharacterTable = 129, kKeyMask = 130,
    kKeyMaxCharacters = 131, kKeyUseUnderline = 132, kKeyValidateMask = 133, kKeyFillChar = 134,
    kKeyPasswordChar = 135,
};

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
// A letter to the field: A-Z, a-z and the codes from 0xC0 up.
bool IsLetter8(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0; }

}  // namespace

CZMTextCtrl::CZMTextCtrl()
    : CZMEditControl(TextClassInfo(),
                     ZMEditControlIds{.change = kTextChange, .endOfLine = kTextEndOfLine,
                                      .invalidKey = kTextInvalidKey, .invalid = kTextInvalid,
                                      .rawData = kTextRawData, .toolTip = kTextToolTip,
                                      .fontName = kTextFontName, .fontBold = kTextFontBold,
                                      .fontItalic = kTextFontItalic, .fontSize = kTextFontSize,
                                      .fontUnderline = kTextFontUnderline,
                                      .fontStrikeThru = kTextFontStrikeThru}, kTextDataSource) {
    SetValueRules(*this);
    SetFieldKind(ZMControlKind::Text);
    if (const auto size = ZMDefaultSize(ZMControlKind::Text)) SetInitialSize(*size);
    DataProperty = 0;
    FillChar = '_';
    FormatText();
    ADBHelper::SetDataChanged(false);
}

ctl::ControlClassInfo CZMTextCtrl::TextClassInfo() {
    return ZMEditFieldClassInfo(ZMControlKind::Text, {"CZMText2PropPage", "CZMTextCharPropPage", "CZMTextPropPage"});
}

// --- Pattern and display ---------------------------------------------------------------------

std::vector<CZMTextCtrl::MaskPosition> CZMTextCtrl::MaskPositions() const {
    std::vector<MaskPosition> out;
    for (std::size_t i = 0; i < Mask.size() && out.size() < static_cast<std::size_t>(kZMMaxPositions); ++i) {
        if (Mask[i] == '\\' && i + 1 < Mask.size()) out.push_back({Mask[++i], false});
        else out.push_back({Mask[i], ZMFindChar(kPlaceholders, Mask[i]) != 0});
    }
    return out;
}

int CZMTextCtrl::GetPattern() {
    PatternBuffer.Clear();
    if (Mask.empty()) {
        for (int i = 0; i < MaxLength; ++i) PatternBuffer.Append(FillChar);
    } else {
        for (const MaskPosition& p : MaskPositions()) PatternBuffer.Append(p.placeholder ? FillChar : p.ch);
    }
    return PatternBuffer.Length();
}

std::string CZMTextCtrl::DisplayForm(bool withPassword) const {
    const char password = withPassword ? PasswordChar : '\0';
    if (Mask.empty()) {
        std::string text = RawData.substr(0, kZMMaxPositions);
        if (password) text.assign(text.size(), password);
        return text;
    }
    const char fill = UseFillChar ? FillChar : ' ';
    std::string text;
    std::size_t next = 0;
    for (const MaskPosition& p : MaskPositions()) {
        if (!p.placeholder) text += p.ch;
        else if (next < RawData.size()) text += password ? password : RawData[next++];
        else text += fill;
    }
    return text;
}

void CZMTextCtrl::FormatText() {
    if (Mask.empty() && Characters != kCharAny && (Characters & kCharCapFirst) != 0) {
        std::string capitalised = RawData;
        ZMCapitalizeWords(capitalised);
        if (capitalised != RawData) {
            RawData = std::move(capitalised);
            SetDataChanged();
        }
    }
    std::string text = DisplayForm(false);
    if (text == Text) return;
    Text = std::move(text);
    BoundPropertyChanged(com::DISPID_TEXT);
    ADBHelper::SetDataChanged(true);
}

int CZMTextCtrl::GetMaxLength(int placeholders) {
    return MaxLength != 0 && MaxLength < placeholders ? MaxLength : placeholders;
}

// A field without a mask and without a limit shows no fill characters after its data.
int CZMTextCtrl::GetDisplayLength(int patternLength, int dataLength) {
    return Mask.empty() && MaxLength == 256 ? dataLength : patternLength;
}

// --- Keys ----------------------------------------------------------------------------------------

bool CZMTextCtrl::AcceptsMaskChar(char mask, char& ch) const {
    const auto c = static_cast<unsigned char>(ch);
    switch (mask) {
    case '#': return IsDigit(c) || c == ' ' || c == '-' || c == '.';
    case '%': return IsDigit(c);
    case '?': return ZMFindChar(CharacterTable, ch) != 0;
    case 'L':
    case 'U':
        if (!IsLetter8(c)) return false;
        ch = mask == 'L' ? ZMLower8(ch) : ZMUpper8(ch);
        return true;
    default: return true;
    }
}

bool CZMTextCtrl::AcceptsFreeChar(char& ch) const {
    const int c = Characters;
    const auto b = static_cast<unsigned char>(ch);
    if (c == kCharAny || c == kCharCapFirst) return CharacterTable.empty() || ZMFindChar(CharacterTable, ch) != 0;
    if (b == ' ' && (c & kCharSpaces)) return true;
    if (IsDigit(b) && (c & kCharNumeric)) return true;
    if ((c & kCharUpper) && !(c & kCharLower)) ch = ZMUpper8(ch);
    if ((c & kCharLower) && !(c & kCharUpper)) ch = ZMLower8(ch);
    if ((c & (kCharUpper | kCharLower)) && IsLetter8(static_cast<unsigned char>(ch))) return true;
    return (c & kCharTable) && ZMFindChar(CharacterTable, ch) != 0;
}

bool CZMTextCtrl::IsValidKey() {
    if (Mask.empty()) return AcceptsFreeChar(TypedChar);
    const auto positions = MaskPositions();
    std::size_t p = static_cast<std::size_t>(std::max(HasSelection() ? std::min(HiAnchor, HiNew) : CurPos, 0));
    while (p < positions.size() && !positions[p].placeholder) ++p;
    if (p >= positions.size()) return false;
    if (TypedChar == ' ' && positions[p].ch != '?') return true;
    return AcceptsMaskChar(positions[p].ch, TypedChar);
}

char CZMTextCtrl::ConvertCase(char ch) {
    return Characters != kCharAny && (Characters & kCharCapFirst) != 0 ? ZMUpper8(ch) : ch;
}

// --- Values ----------------------------------------------------------------------------------------

bool CZMTextCtrl::CheckMask() {
    bool converted = false;
    std::size_t k = 0;
    for (const MaskPosition& p : MaskPositions()) {
        if (k >= RawData.size()) break;
        if (!p.placeholder) continue;
        char ch = RawData[k];
        if (!AcceptsMaskChar(p.ch, ch)) return false;
        if (ch != RawData[k]) {
            RawData[k] = ch;
            converted = true;
        }
        ++k;
    }
    if (converted) SetDataChanged();
    // An escape at the very end of the mask has nothing to make literal.
    for (std::size_t i = 0; i < Mask.size(); ++i)
        if (Mask[i] == '\\' && ++i == Mask.size()) return false;
    return true;
}

bool CZMTextCtrl::IsValidValue() {
    if (Mask.empty() || !ValidateMask) return true;
    if (static_cast<int>(RawData.size()) < GetMaxLength(MaxDataChars)) return false;
    return CheckMask();
}

bool CZMTextCtrl::SetTextValue(std::string_view text) {
    std::string data;
    if (Mask.empty()) {
        data = std::string(text.substr(0, kZMMaxPositions));
    } else {
        const char fill = UseFillChar ? FillChar : ' ';
        std::size_t t = 0, lastFilled = 0;
        for (const MaskPosition& p : MaskPositions()) {
            if (t >= text.size()) break;
            const char ch = text[t++];
            if (!p.placeholder) continue;
            data += ch;
            if (ch != fill) lastFilled = data.size();
        }
        data.resize(lastFilled);
    }
    if (data == RawData) return false;
    RawData = std::move(data);
    SetDataChanged();
    return true;
}

int CZMTextCtrl::SetRawDataText(std::string_view text) {
    if (text == RawData) return 1;
    RawData = std::string(text.substr(0, kZMMaxPositions));
    FormatRawData();
    FormatText();
    return 2;
}

bool CZMTextCtrl::Undo() {
    if (undo_.View() != RawData) {
        RawData = std::string(undo_.View());
        BoundPropertyChanged(kTextRawData);
        FormatText();
    }
    RebuildDisplay();
    CurPos = std::min(CurPos, DisplayBuffer.Length());
    if (CurPos < FirstVisPos) MoveCaret(ctl::VK_LEFT, CurPos);
    else PlaceCaretAtCurPos();
    Modified = false;
    SetDataChanged();
    InvalidateField();
    return true;
}

void CZMTextCtrl::SnapCaretToData() {
    if (Mask.empty() || CurPos != 0) return;
    CurPos = FirstDataPos;
    PlaceCaretAtCurPos();
}

// --- Property helpers used by the dispatch members and the binding ---------------------------------

void CZMTextCtrl::PutText(std::string_view text) {
    if (SetValueChecked(text)) ADBHelper::SetDataChanged(true);
}

void CZMTextCtrl::PutRawData(std::string_view raw) {
    if (SetTextFromValue(raw) == 2) {
        InvalidateField();
        ADBHelper::SetDataChanged(true);
    }
}

void CZMTextCtrl::PutMask(std::string mask) {
    Mask = std::move(mask);
    if (Mask.empty()) {
        MaxLength = 256;
    } else {
        int placeholders = 0;
        for (const MaskPosition& p : MaskPositions()) placeholders += p.placeholder ? 1 : 0;
        MaxLength = static_cast<std::int16_t>(placeholders);
        if (!CheckMask()) {
            RawData.clear();
            SetDataChanged();
        }
    }
    FormatText();
    InvalidateField();
    BoundPropertyChanged(kTextMask);
}

// --- Old format ----------------------------------------------------------------------------------

void CZMTextCtrl::ImportOldProperties(const com::Blob& flags) {
    const auto& b = flags.bytes;
    if (b.size() < 40 || (b[4] | (b[5] << 8)) != 70) return;
    const std::uint32_t styles = b[32] | (b[33] << 8) | (static_cast<std::uint32_t>(b[34]) << 16) |
                                 (static_cast<std::uint32_t>(b[35]) << 24);
    UseFillChar = (styles & 0x8000u) != 0;
    ValidateMask = (styles & 0x4000u) != 0;
    Characters = static_cast<std::int16_t>(styles >> 16);
    PasswordChar = static_cast<char>(b[36]);
    const int maxLength = b[38] | (b[39] << 8);
    MaxLength = static_cast<std::int16_t>(maxLength == 0 ? 256 : std::min(maxLength, 256));
}

// --- Reset and persistence -----------------------------------------------------------------------

void CZMTextCtrl::OnResetState() {
    ResetFieldState();
    const CZMDefaultsStore* store = ZMDefaults();
    auto number = [&](int key, int fallback) { return store ? store->GetInt(kKindText, key, fallback) : fallback; };
    auto text = [&](int key, const char* fallback) {
        std::string value = fallback;
        if (store) store->GetCString(kKindText, key, &value, fallback);
        return value;
    };
    // The text control binds its Text or its RawData only.
    DataProperty = static_cast<std::int16_t>(std::clamp(number(kKeyDataProperty, 0), 0, 1));
    Characters = static_cast<std::int16_t>(number(kKeyCharacters, -1));
    if (Characters < kCharAny || Characters >= 64) Characters = kCharAny;
    CharacterTable = text(kKeyCharacterTable, "");
    Mask = text(kKeyMask, "");
    const int maxLength = number(kKeyMaxCharacters, 256);
    MaxLength = static_cast<std::int16_t>(maxLength <= 0 || maxLength > 256 ? 256 : maxLength);
    UseFillChar = number(kKeyUseUnderline, 1) != 0;
    ValidateMask = number(kKeyValidateMask, 1) != 0;
    const std::string fill = text(kKeyFillChar, "_");
    FillChar = fill.empty() ? '_' : fill[0];
    const std::string password = text(kKeyPasswordChar, "");
    PasswordChar = password.empty() ? '\0' : password[0];
    RawData = AmbientDisplayName().substr(0, kZMMaxPositions);
    ToolTip.clear();
    FormatText();
    // The name shown by a new field is no edit for the binding to write into a column.
    ADBHelper::SetDataChanged(false);
}

void CZMTextCtrl::DoPropExchange(com::PropExchange& px) {
    ExchangeFieldProps(px);
    std::int16_t fill = static_cast<unsigned char>(FillChar);
    std::int16_t password = static_cast<unsigned char>(PasswordChar);
    if (!px.IsOldFormat()) {
        com::PX_String(px, "CharacterTable", CharacterTable);
        com::PX_Short(px, "BorderStyle", BorderStyle, std::int16_t{1});
        com::PX_Short(px, "FillChar", fill, std::int16_t{95});
        com::PX_Short(px, "PasswordChar", password, std::int16_t{0});
        com::PX_Short(px, "Characters", Characters, std::int16_t{-1});
        com::PX_Short(px, "MaxLength", MaxLength, std::int16_t{256});
        com::PX_Bool(px, "UseFillChar", UseFillChar, true);
        com::PX_Bool(px, "ValidateMask", ValidateMask, true);
        if (px.IsLoading()) {
            FillChar = static_cast<char>(fill);
            PasswordChar = static_cast<char>(password);
        }
    } else {
        com::Blob table;
        com::PX_Blob(px, "CharacterTable", table, com::Blob{});
        CharacterTable = ZMBlobFromGlobal(table.bytes);
        std::string fillText;
        com::PX_String(px, "FillChar", fillText, std::string("_"));
        FillChar = fillText.empty() ? '_' : fillText[0];
    }
    if (px.IsLoading()) {
        ApplyBorderLayout();
        // A damaged set must not leave the field outside its limits.
        if (MaxLength <= 0 || MaxLength > 256) MaxLength = 256;
    }
    com::PX_String(px, "ToolTip", ToolTip, std::string());
    if (px.IsLoading()) ADBHelper::SetDataChanged(false);
    com::PX_String(px, "DataField", DataField, std::string());
    if (px.IsOldFormat()) {
        const std::string text = Text;
        SetTextValue(text);
        FormatText();
        ADBHelper::SetDataChanged(false);
    }
}

// --- Binding ---------------------------------------------------------------------------------------

com::Bstr CZMTextCtrl::GetBoundRawText() { return com::Bstr::FromUtf8(win::Cp1252ToUtf8(RawData)); }

bool CZMTextCtrl::OnMapPropertyToPage(com::DispId id, com::Guid& page) {
    if (id != kTextCharacters) return CZMEditControl::OnMapPropertyToPage(id, page);
    page = ZMPropertyPageList({"CZMTextCharPropPage"}).front();
    return true;
}

}  // namespace zmtext
