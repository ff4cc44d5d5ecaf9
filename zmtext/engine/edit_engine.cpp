// The engine's state, display rebuilding, the edit transaction, the property helpers and the
// persistence of the properties every edit control shares.
#include "zmtext/engine/edit_engine.h"

#include <algorithm>
#include <cmath>

#include "platform/ctl/keys.h"
#include "platform/win/beep.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"

namespace zmtext {

// --- ZMFieldBuffer ------------------------------------------------------------------------------

void ZMFieldBuffer::Assign(std::string_view text) {
    const auto n = std::min<std::size_t>(text.size(), kZMMaxPositions);
    std::copy_n(text.data(), n, bytes_.data());
    length_ = static_cast<int>(n);
    bytes_[n] = '\0';
}

bool ZMFieldBuffer::Append(char c) {
    if (length_ >= kZMMaxPositions) return false;
    bytes_[static_cast<std::size_t>(length_++)] = c;
    bytes_[static_cast<std::size_t>(length_)] = '\0';
    return true;
}

void ZMFieldBuffer::Truncate(int n) {
    length_ = std::clamp(n, 0, length_);
    bytes_[static_cast<std::size_t>(length_)] = '\0';
}

const std::vector<ctl::MenuItem>& ZMEditMenuItems() {
    static const std::vector<ctl::MenuItem> none;
    const std::vector<ctl::MenuItem>* items = ZMResources().Menu(IDM_EDIT_CONTEXT);
    return items ? *items : none;
}

CZMEditEngine::CZMEditEngine() = default;
CZMEditEngine::~CZMEditEngine() = default;

void CZMEditEngine::CopyText() {
    Rules->FormatText();
    DisplayBuffer.Assign(Rules->ShownText(Text));
}

int CZMEditEngine::StoreRaw(std::string raw) {
    if (raw != RawData) {
        RawData = std::move(raw);
        Side->SetDataChanged();
    }
    return static_cast<int>(RawData.size());
}

// --- Display -----------------------------------------------------------------------------------

void CZMEditEngine::RebuildDisplay() {
    PatternBuffer.Clear();
    const int written = Rules->GetPattern();
    const int patternLength = std::min(written, PatternBuffer.Length());
    const char password = Rules->GetPasswordChar();
    const char fill = Rules->GetDisplayFillChar();
    DisplayBuffer.Clear();
    MaxDataChars = 0;
    CurNumDataChars = 0;
    std::size_t next = 0;
    for (int i = 0; i < patternLength; ++i) {
        const char c = PatternBuffer.At(i);
        if (c != FillChar) {
            DisplayBuffer.Append(c);
            continue;
        }
        ++MaxDataChars;
        // Invariant 1: the pattern holds at most kZMMaxPositions positions, so the display
        // takes one character for each and its positions stay the pattern's.
        [[maybe_unused]] bool appended;
        if (next < RawData.size()) {
            const char data = RawData[next++];
            appended = DisplayBuffer.Append(password ? password : data);
            ++CurNumDataChars;
        } else {
            appended = DisplayBuffer.Append(fill);
        }
        assert(appended);
    }
    DisplayBuffer.Truncate(Rules->GetDisplayLength(patternLength, CurNumDataChars));
}

bool CZMEditEngine::IsPlaceholder(int pos) const {
    return pos >= 0 && pos < PatternBuffer.Length() && PatternBuffer.At(pos) == FillChar;
}

int CZMEditEngine::DataIndexOf(int pos) const {
    int k = 0;
    const int end = std::min(pos, PatternBuffer.Length());
    for (int i = 0; i < end; ++i)
        if (PatternBuffer.At(i) == FillChar) ++k;
    return k;
}

int CZMEditEngine::EndOfData() const {
    int end = 0;
    if (CurNumDataChars > 0) {
        int seen = 0;
        for (int i = 0; i < PatternBuffer.Length(); ++i) {
            if (!IsPlaceholder(i)) continue;
            if (++seen == CurNumDataChars) {
                end = i + 1;
                break;
            }
        }
    }
    return std::max(end, FirstDataPos);
}

int CZMEditEngine::Extent(int a, int b) const {
    const int n = DisplayBuffer.Length();
    a = std::clamp(a, 0, n);
    b = std::clamp(b, 0, n);
    if (b <= a) return 0;
    return Side->FieldMetrics().Extent(DisplayBuffer.View().substr(static_cast<std::size_t>(a),
                                                             static_cast<std::size_t>(b - a)));
}

std::pair<int, int> CZMEditEngine::GroupOf(int pos) const {
    const int n = PatternBuffer.Length();
    if (Mask.empty()) {
        // Without a mask a group is a run of placeholders.
        int first = pos, end = pos;
        while (first > 0 && IsPlaceholder(first - 1)) --first;
        while (end < n && IsPlaceholder(end)) ++end;
        return {first, std::max(end, first)};
    }
    // The mask character of every display position, a "\" pair counting as one.
    std::vector<char> kinds;
    for (std::size_t i = 0; i < Mask.size() && static_cast<int>(kinds.size()) < n; ++i) {
        if (Mask[i] == '\\' && i + 1 < Mask.size()) {
            kinds.push_back('\\');
            ++i;
        } else {
            kinds.push_back(Mask[i]);
        }
    }
    if (pos < 0 || pos >= static_cast<int>(kinds.size())) return {pos, pos};
    int first = pos, end = pos + 1;
    while (first > 0 && kinds[static_cast<std::size_t>(first - 1)] == kinds[static_cast<std::size_t>(pos)]) --first;
    while (end < static_cast<int>(kinds.size()) && kinds[static_cast<std::size_t>(end)] == kinds[static_cast<std::size_t>(pos)]) ++end;
    return {first, end};
}

void CZMEditEngine::ClearSelection() {
    if (HasSelection()) Side->InvalidateField();
    HiAnchor = HiNew = 0;
}

void CZMEditEngine::ErrorBeepIfSet() const {
    if (!ErrorBeep) return;
    if (beepsHeld_ > 0) beepWaiting_ = true;
    else win::Beep();
}

CZMEditEngine::HeldBeeps::~HeldBeeps() {
    if (--engine_.beepsHeld_ > 0 || !engine_.beepWaiting_) return;
    engine_.beepWaiting_ = false;
    win::Beep();
}

// --- The edit transaction ---------------------------------------------------------------------

void CZMEditEngine::BeginEdit() {
    assert(PositionsInRange());
    editBefore_ = RawData;
    editOpen_ = true;
    if (!undoArmed_) {
        Rules->SaveUndo();
        undoArmed_ = true;
    }
}

void CZMEditEngine::ApplyDataChange() {
    Side->SetDataChanged();
    Rules->ParseText();
    Rules->FormatText();
    NotifyParent(EN_UPDATE);
    Side->InvalidateField();
}

bool CZMEditEngine::CommitEdit(bool notifyEvenIfUnchanged, bool requireValidValue) {
    // Invariant 4: what changed is measured against the data as BeginEdit found it.
    assert(editOpen_);
    editOpen_ = false;
    const bool changed = RawData != editBefore_;
    if (changed && requireValidValue && !Rules->IsValidValue()) {
        RawData = editBefore_;
        ErrorBeepIfSet();
        return false;
    }
    if (changed) ApplyDataChange();
    if (changed || notifyEvenIfUnchanged) SetModifiedAndNotify();
    return changed || notifyEvenIfUnchanged;
}

void CZMEditEngine::SetModifiedAndNotify() {
    Modified = true;
    Side->NotifyBoundProperty();
    NotifyParent(EN_CHANGE);
    Side->FireChange();
}

void CZMEditEngine::NotifyParent(int code) {
    if (Side->AmbientUserMode() && Side->HasWindow()) Side->SendParentNotification(code);
}

// --- Property helpers --------------------------------------------------------------------------

ctl::Rect CZMEditEngine::InnerRect(const ctl::Rect& bounds) const {
    if (BorderEffect == 1 || BorderEffect == 2) return bounds.Deflated(2);
    if (BorderStyle == 1) return bounds.Deflated(1);
    return bounds;
}

void CZMEditEngine::ApplyBorderLayout() {
    StartText.x = (BorderEffect == 1 || BorderEffect == 2) ? 3 : (BorderStyle == 1 ? 2 : 1);
}

void CZMEditEngine::ComputeTextMetricsFor(QSize size) {
    const ctl::Rect inner = InnerRect({0, 0, size.width(), size.height()});
    CaretHeight = Side->FieldMetrics().LineHeight();
    StartText.y = std::max((size.height() - CaretHeight - inner.top) / 2 + inner.top, inner.top);
}

void CZMEditEngine::RecreateCaret() {
    Side->DestroyFieldCaret();
    Side->CreateFieldCaret(Insert ? 2 : 6, CaretHeight);
    // A new caret starts at the window's origin: put it back where the caret stands.
    Side->PlaceFieldCaret(CaretX(CurPos), StartText.y);
    Side->ShowFieldCaret();
}

bool CZMEditEngine::SetInsertMode(int mode) {
    if (mode != 0 && mode != 1) return false;
    Insert = mode == 1;
    if (Side->WindowHasFocus()) RecreateCaret();
    return true;
}

void CZMEditEngine::PlaceCaretAtCurPos() {
    assert(PositionsInRange());
    Side->PlaceFieldCaret(CaretX(CurPos), StartText.y);
}

// A value set by a property: the selection goes, the caret goes home (or to 0 without the
// focus), and the change is announced.
void CZMEditEngine::AnnounceValueSet() {
    NotifyParent(EN_UPDATE);
    HiAnchor = HiNew = 0;
    if (Side->WindowHasFocus()) {
        RebuildDisplay();
        MoveCaret(ctl::VK_HOME, FirstDataPos);
    } else {
        CurPos = 0;
    }
    Side->InvalidateField();
    SetModifiedAndNotify();
}

int CZMEditEngine::SetTextFromValue(std::string_view raw) {
    const int result = Rules->SetRawDataText(raw);
    if (result != 2) return result;
    AnnounceValueSet();
    return 2;
}

bool CZMEditEngine::SetValueChecked(std::string_view text) {
    if (!Rules->SetTextValue(text)) return false;
    Rules->FormatText();
    AnnounceValueSet();
    return true;
}

int CZMEditEngine::GetSelStart() const {
    return HasSelection() ? std::min(HiAnchor, HiNew) : CurPos;
}

int CZMEditEngine::GetSelLength() const {
    return std::abs(HiNew - HiAnchor);
}

void CZMEditEngine::SetSelStart(int n) {
    n = std::clamp(n, 0, kZMMaxPositions - 1);
    if (Side->WindowHasFocus()) {
        RebuildDisplay();
        n = std::min(n, DisplayBuffer.Length());
    } else {
        n = std::min(n, static_cast<int>(std::min<std::size_t>(Text.size(), kZMMaxPositions)));
    }
    HiAnchor = HiNew = CurPos = n;
    if (Side->WindowHasFocus()) PlaceCaretAtCurPos();
    Side->InvalidateField();
}

void CZMEditEngine::SetSelLength(int n) {
    const int anchor = CurPos;
    const int length = Side->WindowHasFocus() ? (RebuildDisplay(), DisplayBuffer.Length())
                                        : static_cast<int>(std::min<std::size_t>(Text.size(), kZMMaxPositions));
    n = std::clamp(n, 0, std::max(length - anchor, 0));
    HiAnchor = anchor;
    HiNew = CurPos = anchor + n;
    if (Side->WindowHasFocus()) PlaceCaretAtCurPos();
    Side->InvalidateField();
}

// --- Persistence -------------------------------------------------------------------------------

ZMStyleFlags ZMDecodeStyleFlags(unsigned w) {
    ZMStyleFlags f;
    f.justification = static_cast<std::int16_t>(w & 3);
    f.eolTab = (w & 0x0008) != 0;
    const int effect = (w >> 4) & 3;
    f.borderEffect = static_cast<std::int16_t>(effect == 3 ? 1 : effect);
    f.autoScroll = (w & 0x0100) != 0;
    f.insert = (w & 0x0200) != 0;
    f.modified = (w & 0x0400) != 0;
    f.focusSelect = (w & 0x1000) != 0;
    f.readOnly = (w & 0x2000) != 0;
    f.errorBeep = (w & 0x4000) != 0;
    f.borderStyle = (w & 0x8000) != 0 ? 1 : 0;
    return f;
}

void CZMEditEngine::ApplyStyleFlags(const ZMStyleFlags& f) {
    Justification = f.justification;
    EOLTab = f.eolTab;
    BorderEffect = f.borderEffect;
    AutoScroll = f.autoScroll;
    Insert = f.insert;
    FocusSelect = f.focusSelect;
    ReadOnly = f.readOnly;
    ErrorBeep = f.errorBeep;
    BorderStyle = f.borderStyle;
}

void CZMEditEngine::ExchangeOldFormat(com::PropExchange& px) {
    com::Blob mask, flags;
    PX_Blob(px, "Mask", mask, com::Blob{});
    Mask = ZMBlobFromGlobal(mask.bytes);
    PX_Blob(px, "Justification", flags, com::Blob{});
    if (flags.bytes.size() >= 8) {
        const ZMStyleFlags f = ZMDecodeStyleFlags(flags.bytes[6] | (static_cast<unsigned>(flags.bytes[7]) << 8));
        ApplyStyleFlags(f);
        Modified = f.modified;
    }
    Side->ImportOldProperties(flags);
}

void CZMEditEngine::ExchangeCommonProps(com::PropExchange& px) {
    using com::PX_Bool;
    using com::PX_Long;
    using com::PX_Short;
    PX_Bool(px, "AutoScroll", AutoScroll, true);
    PX_Short(px, "BorderEffect", BorderEffect, std::int16_t{0});
    PX_Short(px, "DataProperty", DataProperty, std::int16_t{0});
    PX_Bool(px, "ReadOnly", ReadOnly, false);
    PX_Bool(px, "EOLTab", EOLTab, false);
    PX_Bool(px, "ErrorBeep", ErrorBeep, false);
    PX_Bool(px, "FocusSelect", FocusSelect, false);
    PX_Bool(px, "Insert", Insert, true);
    PX_Bool(px, "Modified", Modified);
    PX_Bool(px, "HideSelection", HideSelection);
    com::PX_String(px, "RawData", RawData);
    com::PX_String(px, "Text", Text);
    std::int32_t positions[] = {StartText.x, StartText.y, FirstVisPos, HiAnchor, HiNew, CaretHeight,
                                CurNumDataChars, MaxDataChars, FirstDataPos, CurPos, MaxLen};
    static constexpr const char* kPositionNames[] = {
        "StartText.x", "StartText.y", "FirstVisPos", "HiAnchor", "HiNew", "CaretHeight",
        "CurNumDataChars", "MaxDataChars", "FirstDataPos", "CurPos", "MaxLen"};
    for (std::size_t i = 0; i < std::size(positions); ++i) PX_Long(px, kPositionNames[i], positions[i]);
    PX_Bool(px, "DataReadOnly", DataReadOnly);
    PX_Short(px, "MousePointer", MousePointer, std::int16_t{3});
    if (px.IsOldFormat()) {
        ExchangeOldFormat(px);
    } else {
        com::PX_String(px, "Mask", Mask);
        PX_Short(px, "Justification", Justification, std::int16_t{0});
    }
    // A damaged picture value reads as absent: the field keeps an empty picture.
    if (px.IsLoading() && !com::PX_Picture(px, "MouseIcon", MouseIcon)) MouseIcon = {};
    if (!px.IsLoading()) com::PX_Picture(px, "MouseIcon", MouseIcon);
    // The stored positions are never used: the editing state is rebuilt on the next focus.
    if (px.IsLoading()) ResetEditingState();
}

void CZMEditEngine::ResetEditingState() {
    StartText.y = 1;
    FirstVisPos = HiAnchor = HiNew = CurNumDataChars = MaxDataChars = FirstDataPos = CurPos = MaxLen = 0;
    DataReadOnly = false;
    CaretHeight = 46;
    FillChar = '_';
    ApplyBorderLayout();
}

namespace {

// String ids of the defaults keys (the property names).
enum DefaultsKey : int {
    kKeyBackColor = 116, kKeyForeColor = 117, kKeyAutoScroll = 118, kKeyBorderEffect = 119,
    kKeyBorderStyle = 120, kKeyDataProperty = 121, kKeyReadOnly = 122, kKeyEOLTab = 123,
    kKeyErrorBeep = 124, kKeyFocusSelect = 125, kKeyInsert = 126, kKeyJustification = 127,
    kKeyHideSelection = 183, kKeyMousePointer = 221, kKeyFontName = 229, kKeyFontSize = 230,
    kKeyFontBold = 231, kKeyFontItalic = 232, kKeyFontUnderline = 233, kKeyFontStrikethru = 234,
    kKeyStyleFlags = 242,
};

bool KeyExists(const CZMDefaultsStore& store, int kind, int key) {
    return store.GetInt(kind, key, 0) == store.GetInt(kind, key, 1);
}

}  // namespace

void CZMEditEngine::ReadStyleDefaults(int kind) {
    const std::int16_t justification = Kind->justification;
    const CZMDefaultsStore* store = ZMDefaults();
    auto flag = [&](int key, int def) { return store->GetInt(kind, key, def) != 0; };
    if (store && KeyExists(*store, kind, kKeyErrorBeep)) {
        AutoScroll = flag(kKeyAutoScroll, 1);
        BorderEffect = static_cast<std::int16_t>(store->GetInt(kind, kKeyBorderEffect, 0));
        BorderStyle = static_cast<std::int16_t>(store->GetInt(kind, kKeyBorderStyle, 1));
        ReadOnly = flag(kKeyReadOnly, 0);
        EOLTab = flag(kKeyEOLTab, 0);
        ErrorBeep = flag(kKeyErrorBeep, 0);
        FocusSelect = flag(kKeyFocusSelect, 0);
        Insert = flag(kKeyInsert, 1);
        Justification = static_cast<std::int16_t>(store->GetInt(kind, kKeyJustification, justification));
    } else if (store && KeyExists(*store, kind, kKeyStyleFlags)) {
        ApplyStyleFlags(ZMDecodeStyleFlags(static_cast<unsigned>(store->GetInt(kind, kKeyStyleFlags, 0))));
    } else {
        BorderStyle = 1;
        BorderEffect = 0;
        AutoScroll = true;
        ReadOnly = EOLTab = ErrorBeep = FocusSelect = false;
        Justification = justification;
        Insert = true;
    }
}

void CZMEditEngine::ResetCommonDefaults() {
    const int kind = ZMKindIndex(GetFieldKind());
    const CZMDefaultsStore* store = ZMDefaults();
    auto color = [&](int key, std::uint32_t def) {
        return com::OleColor{store ? static_cast<std::uint32_t>(store->GetLong(kind, key, static_cast<std::int32_t>(def))) : def};
    };
    Side->SetBackColor(color(kKeyBackColor, 0x80000005u));
    Side->SetForeColor(color(kKeyForeColor, 0x80000008u));
    DataProperty = static_cast<std::int16_t>(store ? store->GetInt(kind, kKeyDataProperty, 2) : 2);
    ReadStyleDefaults(kind);
    HideSelection = store ? store->GetInt(kind, kKeyHideSelection, 1) != 0 : true;
    MousePointer = static_cast<std::int16_t>(store ? store->GetInt(kind, kKeyMousePointer, 3) : 3);
    if (Side->HasFont()) {
        com::FontDesc font = Side->GetFontDesc();
        const std::string fallback = ZMLoadString(IDS_DEFAULT_FONT).value_or("MS Sans Serif");
        font.name = fallback;
        if (store) store->GetCString(kind, kKeyFontName, &font.name, fallback);
        const float size = store ? store->GetFloat(kind, kKeyFontSize, 8.0f) : 8.0f;
        font.size = com::Currency{std::llround(static_cast<double>(size) * 10000.0)};
        auto bit = [&](int key) { return store && store->GetInt(kind, key, 0) != 0; };
        font.bold = bit(kKeyFontBold);
        font.weight = font.bold ? 700 : 400;
        font.italic = bit(kKeyFontItalic);
        font.underline = bit(kKeyFontUnderline);
        font.strikethrough = bit(kKeyFontStrikethru);
        Side->SetFontDesc(font);
    }
    Modified = false;
    RawData.clear();
    Mask.clear();
    Text.clear();
    undoArmed_ = false;
    ResetEditingState();
}

}  // namespace zmtext
