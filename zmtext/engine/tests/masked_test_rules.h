// The value rules of the engine tests' minimal masked text field, over any engine base: the
// headless field (MaskedRules<CZMEditEngine>) and the test control on the shared control
// template (MaskedRules<CZMEditControl<...>>) type by the same rules.
//
// Mask language: "#" digit, blank, "-" or "."; "%" digit; "U" letter stored upper-case; "L"
// letter stored lower-case; "?" a character of the character table; "*" anything; "\" makes the
// next character a literal. Without a mask the field takes `maxLength` characters (256: no
// limit, and no fill characters after the data).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/win/cp1252.h"
#include "zmtext/engine/edit_engine.h"

namespace zmtext::testing {

template <class Base>
class MaskedRules : public Base, public ZMValueRules {
public:
    template <class... Args>
    explicit MaskedRules(Args&&... args) : Base(std::forward<Args>(args)...) {
        this->SetValueRules(*this);
    }

    int maxLength = 256;
    bool useFillChar = true;
    std::string characterTable;
    char passwordChar = '\0';
    bool inRange = true;
    ZMFieldBuffer undoCopy;   // the undo block: as long as the display buffers, never longer

    void SetMask(std::string mask) { this->Mask = std::move(mask); }
    void SetData(std::string raw) {
        this->RawData = std::move(raw);
        FormatText();
    }
    void SetKind(ZMControlKind kind) {
        kind_ = kind;
        this->SetFieldKind(kind);
    }

    void FormatText() override {
        this->RebuildDisplay();
        this->Text = std::string(this->DisplayBuffer.View());
    }
    bool IsValidKey() override;
    void ParseText() override {}
    int FormatRawData() override { return static_cast<int>(this->RawData.size()); }
    bool IsValidValue() override {
        return this->Mask.empty() || static_cast<int>(this->RawData.size()) >= GetMaxLength(this->MaxDataChars);
    }
    bool IsInRange() override { return inRange; }
    int GetPattern() override;
    void SaveUndo() override { undoCopy.Assign(this->RawData); }
    void TruncateBuffer(int placeholders) override { undoCopy.Truncate(placeholders); }
    bool Undo() override {
        if (undoCopy.View() != this->RawData) this->RawData = std::string(undoCopy.View());
        this->CurPos = std::min(this->CurPos, static_cast<int>(this->RawData.size()));
        this->Modified = false;
        this->Side->SetDataChanged();
        FormatText();
        this->Side->InvalidateField();
        return true;
    }
    bool SetTextValue(std::string_view text) override {
        if (this->RawData == text) return false;
        this->RawData = std::string(text);
        return true;
    }
    int SetRawDataText(std::string_view text) override {
        if (this->RawData == text) return 1;
        this->RawData = std::string(text);
        this->FormatRawData();
        FormatText();
        return 2;
    }
    int GetMaxLength(int placeholders) override {
        return maxLength != 0 && maxLength < placeholders ? maxLength : placeholders;
    }
    int GetDisplayLength(int patternLength, int dataLength) override {
        return this->Mask.empty() && maxLength == 256 ? dataLength : patternLength;
    }
    char GetDisplayFillChar() override { return useFillChar ? this->FillChar : ' '; }
    char GetPasswordChar() override { return passwordChar; }
    // The text kind's rule: a masked field's caret at 0 goes to the first data position.
    void SnapCaretToData() override {
        if (kind_ != ZMControlKind::Text || this->Mask.empty() || this->CurPos != 0) return;
        this->CurPos = this->FirstDataPos;
        this->PlaceCaretAtCurPos();
    }

private:
    // The mask character of each display position and whether it takes data.
    std::vector<std::pair<char, bool>> MaskPositions() const {
        std::vector<std::pair<char, bool>> out;
        const std::string& mask = this->Mask;
        for (std::size_t i = 0; i < mask.size(); ++i) {
            if (mask[i] == '\\' && i + 1 < mask.size()) out.emplace_back(mask[++i], false);
            else out.emplace_back(mask[i], ZMFindChar("*%#UL?", mask[i]) != 0);
        }
        return out;
    }

    ZMControlKind kind_ = ZMControlKind::Text;
};

template <class Base>
int MaskedRules<Base>::GetPattern() {
    auto& pattern = this->PatternBuffer;
    pattern.Clear();
    if (this->Mask.empty()) {
        const int n = maxLength == 0 ? 256 : maxLength;
        for (int i = 0; i < n; ++i) pattern.Append(this->FillChar);
    } else {
        for (const auto& [c, placeholder] : MaskPositions()) pattern.Append(placeholder ? this->FillChar : c);
    }
    return pattern.Length();
}

template <class Base>
bool MaskedRules<Base>::IsValidKey() {
    const auto ch = static_cast<unsigned char>(this->TypedChar);
    if (this->Mask.empty()) return characterTable.empty() || ZMFindChar(characterTable, this->TypedChar) != 0;
    const auto positions = MaskPositions();
    const bool selection = this->HiAnchor != this->HiNew;
    std::size_t p = static_cast<std::size_t>(selection ? std::min(this->HiAnchor, this->HiNew) : this->CurPos);
    while (p < positions.size() && !positions[p].second) ++p;
    if (p >= positions.size()) return false;
    const char m = positions[p].first;
    if (ch == ' ' && m != '?') return true;
    switch (m) {
    case '#': return (ch >= '0' && ch <= '9') || ch == '-' || ch == '.';
    case '%': return ch >= '0' && ch <= '9';
    case '?': return ZMFindChar(characterTable, this->TypedChar) != 0;
    case 'U':
    case 'L':
        if (!win::IsAlpha1252(ch)) return false;
        this->TypedChar = static_cast<char>(m == 'U' ? win::ToUpper1252(ch) : win::ToLower1252(ch));
        return true;
    default: return true;
    }
}

}  // namespace zmtext::testing
