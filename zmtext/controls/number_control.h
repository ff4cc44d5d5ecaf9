// CZMNumberControl<Self>: what the long, double and currency fields share over the edit
// control: the number settings, ShowZero, the integer-digit count, the binding's column and
// cursor, the Text/RawData property paths, the Value setter's announcement, and the dispatch
// members whose behaviour is the same in the three (added in each control's own order, so their
// DISPIDs follow each control's table).
//
// While the field has the focus it shows its raw text followed by blanks (one pattern position
// per typeable character); without the focus it shows the display text (grouped, signed).
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/ctl/cursors.h"
#include "platform/ctl/font_picture.h"
#include "platform/ctl/keys.h"
#include "platform/win/cp1252.h"
#include "zmtext/engine/edit_control.h"
#include "zmtext/module/classes.h"
#include "zmtext/values/number_format.h"

namespace zmtext {

// String ids of the defaults keys the numeric fields read beside the common ones.
enum ZMNumberDefaultsKey : int {
    kZMKeyFmtControl = 150, kZMKeyFmtDecimal = 151, kZMKeyFmtThousands = 152, kZMKeyFmtDecDigits = 153,
    kZMKeyFmtIntDigits = 154, kZMKeyMaxValue = 157, kZMKeyMinValue = 158, kZMKeyShowZero = 176,
    kZMKeyHeight = 235, kZMKeyWidth = 236,
};

// The class description of a numeric field: its identity, the stock members, its own page and
// the common edit page.
ctl::ControlClassInfo ZMNumberClassInfo(ZMControlKind kind, const char* ownPage);
// The initial size the defaults store gives field kind `kind`, when it gives both measures.
std::optional<QSize> ZMDefaultSize(int kind);
// The little-endian 32-bit word at byte `at` of an old property block (at + 4 <= size).
std::uint32_t ZMBlockWord(const std::vector<std::uint8_t>& b, std::size_t at);
// A numeric field's events: its own five in its order, then the stock mouse and key events.
std::vector<com::FuncDesc> ZMNumberEvents(std::initializer_list<std::pair<const char*, com::DispId>> own);

template <class Self>
class CZMNumberControl : public CZMEditControl<Self> {
    using Edit = CZMEditControl<Self>;

public:
    using Table = com::DispatchTable<Self>;
    using Args = com::DispatchMap::Args;
    using Variant = com::Variant;

    // --- Engine operations shared by the numeric kinds -----------------------------------------
    int CopyText() override {
        this->FormatText();
        this->DisplayBuffer.Assign(this->Text);
        return 0;
    }
    std::string GetDigitsKey() const override { return "iDigits"; }

    // --- Binding -------------------------------------------------------------------------------
    com::Bstr GetDataField() override { return com::Bstr::FromUtf8(win::Cp1252ToUtf8(DataField)); }
    com::ICursor* GetCursor() override { return cursor_.Get(); }
    void SetCursor(com::ICursor* cursor) override { cursor_ = com::ComPtr<com::ICursor>(cursor); }
    com::Bstr GetBoundText() override { return com::Bstr::FromUtf8(win::Cp1252ToUtf8(this->Text)); }
    void SetBoundText(const std::string& cp1252) override { PutText(cp1252); }
    com::Bstr GetBoundRawText() override { return com::Bstr::FromUtf8(win::Cp1252ToUtf8(this->RawData)); }
    void SetBoundRawText(const std::string& cp1252) override { PutRawData(cp1252); }
    // The DataField property's predefined strings: the bound cursor's column names (DataSource
    // is member 2 of every numeric field).
    std::vector<std::string> DataFieldChoices() {
        if (com::Failed(this->LoadColumnNames(com::DispId{2}))) return {};
        return this->ColumnNames();
    }

    // --- Property paths (cp1252 texts) ---------------------------------------------------------
    std::string GetText() const { return this->Text; }
    void PutText(std::string_view text) {
        if (this->SetValueChecked(text)) this->ADBHelper::SetDataChanged(true);
    }
    // False when the field refuses the text (the setter then raises "Invalid RawData Value").
    bool PutRawData(std::string_view raw) {
        const int result = this->SetTextFromValue(raw);
        if (result == 2) {
            this->InvalidateField();
            this->ADBHelper::SetDataChanged(true);
        }
        return result != 0;
    }
    bool GetShowZero() const { return ShowZero; }
    std::int16_t GetIntDigits() const { return IntDigits; }
    const NumberSettings& GetNumberSettings() const { return Settings; }

protected:
    CZMNumberControl(const ctl::ControlClassInfo& info, const ZMEditControlIds& ids) : Edit(info, ids) {}
    ~CZMNumberControl() override { this->UnadviseCursor(); }

    // A rebuilt display text: stored, the binding flag set and Text announced when it changed.
    void StoreText(std::string text) {
        if (text == this->Text) return;
        this->Text = std::move(text);
        this->ADBHelper::SetDataChanged(true);
        this->BoundPropertyChanged(com::DISPID_TEXT);
    }
    // A rebuilt raw text: stored, RawData announced and the binding flag set when it changed.
    int StoreRaw(std::string raw) {
        if (raw != this->RawData) {
            this->RawData = std::move(raw);
            this->SetDataChanged();
        }
        return static_cast<int>(this->RawData.size());
    }
    // What key acceptance sees of the field while the user types, with the settings in force.
    NumberKeyState KeyState(const NumberFormat& f, bool allowNegative) const {
        NumberKeyState state;
        state.display = this->DisplayBuffer.View();
        state.selStart = this->HasSelection() ? std::min(this->HiAnchor, this->HiNew) : this->CurPos;
        state.selEnd = this->HasSelection() ? std::max(this->HiAnchor, this->HiNew) : state.selStart;
        state.insertMode = this->Insert;
        state.allowNegative = allowNegative;
        state.intDigits = IntDigits;
        state.decDigits = f.digits;
        state.decimal = f.decimal;
        return state;
    }
    // A stream of the older format: its "BorderStyle" entry, when present, leaves the border its
    // property block gave; a missing one means a single border.
    void ExchangeOldBorder(com::PropExchange& px) {
        std::int16_t border = this->BorderStyle;
        if (!com::PX_Short(px, "BorderStyle", border)) this->BorderStyle = 1;
    }
    // One typeable position per character of the field.
    int FillPattern(int length) {
        this->PatternBuffer.Clear();
        for (int i = 0; i < length; ++i) this->PatternBuffer.Append(this->FillChar);
        return this->PatternBuffer.Length();
    }
    // A value changed through a value setter (the value, raw and display texts already rebuilt):
    // the selection cleared, the caret refreshed, the parent told, Change fired, the field redrawn,
    // Value announced, the binding flag set and the control marked modified.
    void AnnounceNewValue(com::DispId valueId) {
        this->HiAnchor = this->HiNew = 0;
        if (this->WindowHasFocus()) {
            this->RebuildDisplay();
            this->MoveCaret(ctl::VK_HOME, this->FirstDataPos);
        } else {
            this->CurPos = 0;
        }
        this->NotifyParent(EN_UPDATE);
        this->FireChange();
        this->InvalidateField();
        this->BoundPropertyChanged(valueId);
        this->ADBHelper::SetDataChanged(true);
        this->SetModifiedFlag();
    }
    // The undo copy taken back: Modified set as given, Value announced, the texts and field
    // rebuilt.
    void FinishUndo(com::DispId valueId, bool modified = false) {
        this->Modified = modified;
        this->BoundPropertyChanged(valueId);
        this->FormatRawData();
        this->FormatText();
        this->RebuildDisplay();
        this->CurPos = std::min(this->CurPos, this->DisplayBuffer.Length());
        if (this->CurPos < this->FirstVisPos) this->MoveCaret(ctl::VK_LEFT, this->CurPos);
        else if (this->WindowHasFocus()) this->PlaceCaretAtCurPos();
        this->InvalidateField();
    }
    NumberSettings Settings;
    std::int16_t IntDigits = 10;
    bool ShowZero = true;
    std::string DataField;
    com::ComPtr<com::ICursor> cursor_;

public:
    // ===== Dispatch members shared by the numeric fields ======================================
    [[noreturn]] static void Refuse(const Self& c, int id, std::int32_t context,
                                    com::HResult scode = com::CTL_E_INVALIDPROPERTYVALUE) {
        c.ThrowError(scode, id, static_cast<std::uint32_t>(context));
    }
    static bool BoolOf(const Self& c, const Variant& v, int id, std::int32_t context) {
        if (v.BaseType() == com::VT_BOOL) return v.AsBool();
        Variant n;
        if (com::Failed(com::ChangeType(n, v, com::VT_I4)) || (n.AsI4() != 0 && n.AsI4() != 1)) Refuse(c, id, context);
        return n.AsI4() == 1;
    }
    static long IntOf(const Self& c, const Variant& v, long low, long high, int id, std::int32_t context) {
        Variant n;
        if (com::Failed(com::ChangeType(n, v, com::VT_I4)) || n.AsI4() < low || n.AsI4() > high) Refuse(c, id, context);
        return n.AsI4();
    }
    static std::string TextOf(const Variant& v) {
        Variant s;
        if (com::Failed(com::ChangeType(s, v, com::VT_BSTR))) return {};
        return win::Utf8ToCp1252(s.AsStr().ToUtf8());
    }
    static Variant Str(const std::string& cp1252) { return Variant::Utf8(win::Cp1252ToUtf8(cp1252)); }
    static Variant OneChar(char ch) { return Str(ch ? std::string(1, ch) : std::string()); }
    static void RunModeOnly(const Self& c) {
        if (!c.AmbientUserMode()) ctl::ControlBase::GetNotSupported();
    }
    static void Changed(Self& c, com::DispId id) {
        c.BoundPropertyChanged(id);
        c.SetModifiedFlag();
    }
    // A separator character property: "-" and digits are refused with their own texts.
    static char SeparatorOf(const Self& c, const Variant& v, int minusId, int digitId, std::int32_t context) {
        const std::string s = TextOf(v);
        const char ch = s.empty() ? '\0' : s[0];
        if (ch == '-') Refuse(c, minusId, context);
        if (ch >= '0' && ch <= '9') Refuse(c, digitId, context);
        return ch;
    }

    static void AddFlag(Table& t, const char* name, bool CZMEditEngine::*member, int id, std::int32_t context,
                        com::DispId notify, bool invalidate = false) {
        t.Property(name, com::VT_VARIANT, {}, [member](Self& c, Args) { return Variant::Bool(c.*member); },
                   [=](Self& c, Args, const Variant& v) {
                       c.*member = BoolOf(c, v, id, context);
                       if (invalidate) c.InvalidateField();
                       Changed(c, notify);
                   });
    }
    static void AddShowZero(Table& t) {
        t.Property("ShowZero", com::VT_VARIANT, {}, [](Self& c, Args) { return Variant::Bool(c.ShowZero); },
                   [](Self& c, Args, const Variant& v) {
                       Variant b;
                       if (com::Failed(com::ChangeType(b, v, com::VT_BOOL))) com::ThrowError(com::CTL_E_INVALIDPROPERTYVALUE);
                       c.ShowZero = b.AsBool();
                       c.InvalidateField();
                       c.SetModifiedFlag();
                   });
    }
    static void AddDataSource(Table& t, com::DispId id) {
        t.Property("DataSource", com::VT_VARIANT, {},
                   [](Self& c, Args) { return Variant::Unknown(com::ComPtr<com::IUnknown>(c.cursor_.Get())); },
                   [id](Self& c, Args, const Variant& v) {
                       com::ComPtr<com::ICursor> cursor;
                       if (com::IUnknown* u = v.AsUnknown()) u->QueryInterface(com::ICursor::kIid, cursor.PutVoid());
                       c.SetCursor(cursor.Get());
                       c.BindStoredCursor();
                       Changed(c, id);
                   });
    }
    static void AddModified(Table& t, std::int32_t context, com::DispId id) {
        t.Property("Modified", com::VT_VARIANT, {},
                   [](Self& c, Args) {
                       RunModeOnly(c);
                       return Variant::Bool(c.Modified);
                   },
                   [=](Self& c, Args, const Variant& v) {
                       c.Modified = BoolOf(c, v, 149, context);
                       Changed(c, id);
                   });
    }
    // SelLength, SelStart and SelText at the three DISPIDs that follow `first`.
    static void AddSelection(Table& t, com::DispId first) {
        t.Property("SelLength", com::VT_I4, {},
                   [](Self& c, Args) {
                       RunModeOnly(c);
                       return Variant::I4(c.GetSelLength());
                   },
                   [first](Self& c, Args, const Variant& v) {
                       c.SetSelLength(v.AsI4());
                       c.BoundPropertyChanged(first);
                   });
        t.Property("SelStart", com::VT_I4, {},
                   [](Self& c, Args) {
                       RunModeOnly(c);
                       return Variant::I4(c.GetSelStart());
                   },
                   [first](Self& c, Args, const Variant& v) {
                       c.SetSelStart(v.AsI4());
                       c.BoundPropertyChanged(first + 1);
                   });
        t.Property("SelText", com::VT_BSTR, {},
                   [](Self& c, Args) {
                       RunModeOnly(c);
                       return Str(c.GetSelText());
                   },
                   [first](Self& c, Args, const Variant& v) {
                       c.SetSelText(TextOf(v));
                       c.BoundPropertyChanged(first + 2);
                   });
    }
    static void AddBorderEffect(Table& t, std::int32_t context, com::DispId id) {
        t.Property("BorderEffect", com::VT_VARIANT, {}, [](Self& c, Args) { return Variant::I2(c.BorderEffect); },
                   [=](Self& c, Args, const Variant& v) {
                       c.BorderEffect = static_cast<std::int16_t>(IntOf(c, v, 0, 2, 137, context));
                       c.ApplyBorderLayout();
                       c.InvalidateControl();
                       Changed(c, id);
                   });
    }
    static void AddDataProperty(Table& t, std::int32_t context, com::DispId id) {
        t.Property("DataProperty", com::VT_VARIANT, {}, [](Self& c, Args) { return Variant::I2(c.DataProperty); },
                   [=](Self& c, Args, const Variant& v) {
                       c.DataProperty = static_cast<std::int16_t>(IntOf(c, v, 0, 2, 138, context));
                       Changed(c, id);
                   });
    }
    static void AddDisplayOnly(Table& t, std::int32_t context, com::DispId id) {
        t.Property("DisplayOnly", com::VT_VARIANT, {},
                   [](Self& c, Args) {
                       RunModeOnly(c);
                       return Variant::Bool(c.ReadOnly);
                   },
                   [=](Self& c, Args, const Variant& v) {
                       c.ReadOnly = BoolOf(c, v, 139, context);
                       Changed(c, id);
                   });
    }
    static void AddInsert(Table& t, std::int32_t context, com::DispId id) {
        t.Property("Insert", com::VT_VARIANT, {}, [](Self& c, Args) { return Variant::Bool(c.Insert); },
                   [=](Self& c, Args, const Variant& v) {
                       if (!c.SetInsertMode(BoolOf(c, v, 143, context) ? 1 : 0)) Refuse(c, 143, context);
                       Changed(c, id);
                   });
    }
    static void AddJustification(Table& t, std::int32_t context, com::DispId id) {
        t.Property("Justification", com::VT_VARIANT, {}, [](Self& c, Args) { return Variant::I2(c.Justification); },
                   [=](Self& c, Args, const Variant& v) {
                       c.Justification = static_cast<std::int16_t>(IntOf(c, v, 0, 2, 144, context));
                       c.InvalidateField();
                       Changed(c, id);
                   });
    }
    // RawData: a text the field cannot read is refused with "Invalid RawData Value".
    static void AddRawData(Table& t, std::int32_t context, com::DispId id) {
        t.Property("RawData", com::VT_BSTR, {}, [](Self& c, Args) { return Str(c.RawData); },
                   [=](Self& c, Args, const Variant& v) {
                       if (!c.PutRawData(TextOf(v))) Refuse(c, 147, context);
                       Changed(c, id);
                   });
    }
    // FmtControl 0..`high`: the raw and display texts are rebuilt.
    static void AddFmtControl(Table& t, long high, int message, std::int32_t context, com::DispId id) {
        t.Property("FmtControl", com::VT_VARIANT, {}, [](Self& c, Args) { return Variant::I2(c.Settings.fmtControl); },
                   [=](Self& c, Args, const Variant& v) {
                       c.Settings.fmtControl = static_cast<std::int16_t>(IntOf(c, v, 0, high, message, context));
                       c.FormatRawData();
                       c.FormatText();
                       c.InvalidateField();
                       Changed(c, id);
                   });
    }
    static void AddFmtThousands(Table& t, std::int32_t context, com::DispId id, bool reformat) {
        t.Property("FmtThousands", com::VT_BSTR, {}, [](Self& c, Args) { return OneChar(c.Settings.thousands); },
                   [=](Self& c, Args, const Variant& v) {
                       c.Settings.thousands = SeparatorOf(c, v, 169, 170, context);
                       if (reformat) c.FormatText();
                       c.InvalidateField();
                       Changed(c, id);
                   });
    }
    static void AddFmtIntDigits(Table& t, long low, long high, int message, std::int32_t context, com::DispId id) {
        t.Property("FmtIntDigits", com::VT_VARIANT, {}, [](Self& c, Args) { return Variant::I2(c.IntDigits); },
                   [=](Self& c, Args, const Variant& v) {
                       c.IntDigits = static_cast<std::int16_t>(IntOf(c, v, low, high, message, context));
                       Changed(c, id);
                   });
    }
    static void AddText(Table& t) {
        auto getText = [](Self& c, Args) { return Str(c.GetText()); };
        auto putText = [](Self& c, Args, const Variant& v) {
            c.PutText(TextOf(v));
            c.SetModifiedFlag();
        };
        t.Property("Text", com::VT_BSTR, {}, getText, putText, com::DISPID_TEXT);
        t.Property("_Text", com::VT_BSTR, {}, getText, putText, com::DispId{0});
    }
    static void AddReadOnly(Table& t, com::DispId id) {
        t.Property("ReadOnly", com::VT_VARIANT, {}, [](Self& c, Args) { return Variant::Bool(c.ReadOnly); },
                   [id](Self& c, Args, const Variant& v) {
                       c.ReadOnly = BoolOf(c, v, 139, -1);
                       Changed(c, id);
                   });
    }
    // MousePointer, MouseIcon, HdnHeight, HdnWidth, HdnDataPropCount, ToolTip, DataField and
    // DataChanged at the DISPIDs from `first` on (the order of all three tables, but the
    // currency field lists HdnWidth before HdnHeight).
    static void AddPointerToDataChanged(Table& t, com::DispId first, bool widthFirst = false) {
        t.Property("MousePointer", com::VT_VARIANT, {}, [](Self& c, Args) { return Variant::I2(c.MousePointer); },
                   [first](Self& c, Args, const Variant& v) {
                       c.MousePointer = static_cast<std::int16_t>(IntOf(c, v, 0, ctl::kMousePointerMax, 186, -1));
                       if (c.Window() && c.Window()->underMouse()) c.OnSetCursor();
                       Changed(c, first);
                   });
        t.Property("MouseIcon", com::VT_VARIANT, {},
                   [](Self& c, Args) {
                       auto picture = ctl::PictureObject::Create(c.MouseIcon);
                       return Variant::Dispatch(com::ComPtr<com::IDispatch>(picture.Get()));
                   },
                   [first](Self& c, Args, const Variant& v) {
                       com::PictureData data;
                       if (com::IDispatch* d = v.AsDispatch()) {
                           const auto found = ctl::PictureDataOf(d);
                           if (!found) Refuse(c, 185, -1, com::CTL_E_INVALIDPICTURE);
                           data = *found;
                       }
                       if (data.type != com::PictureType::None && data.type != com::PictureType::Icon)
                           Refuse(c, 185, -1, com::CTL_E_INVALIDPICTURE);
                       c.MouseIcon = std::move(data);
                       Changed(c, first + 1);
                   });
        auto addHeight = [&] {
            t.Property("HdnHeight", com::VT_I4, {}, [](Self& c, Args) { return Variant::I4(c.GetControlSize().height()); },
                       [](Self&, Args, const Variant&) { ctl::ControlBase::SetNotSupported(); });
        };
        if (!widthFirst) addHeight();
        t.Property("HdnWidth", com::VT_I4, {}, [](Self& c, Args) { return Variant::I4(c.GetControlSize().width()); },
                   [](Self&, Args, const Variant&) { ctl::ControlBase::SetNotSupported(); });
        if (widthFirst) addHeight();
        t.Property("HdnDataPropCount", com::VT_I2, {}, [](Self&, Args) { return Variant::I2(3); },
                   [](Self&, Args, const Variant&) { ctl::ControlBase::SetNotSupported(); });
        Edit::AddToolTip(t);
        t.Property("DataField", com::VT_BSTR, {}, [](Self& c, Args) { return Str(c.DataField); },
                   [first](Self& c, Args, const Variant& v) {
                       c.DataField = TextOf(v);
                       Changed(c, first + 6);
                   });
        t.Property("DataChanged", com::VT_VARIANT, {}, [](Self& c, Args) { return Variant::Bool(c.DataChanged()); },
                   [first](Self& c, Args, const Variant& v) {
                       const bool changed = BoolOf(c, v, 244, -1);
                       if (c.IsLoading() || changed == c.DataChanged()) return;
                       c.ADBHelper::SetDataChanged(changed);
                       Changed(c, first + 7);
                   });
    }
    static void AddBorderStyleAndStock(Table& t) {
        AddBorderStyle(t);
        AddStock(t);
    }
    static void AddStock(Table& t) {
        ctl::AddStockMembers(t, ctl::kStockBackColor | ctl::kStockForeColor | ctl::kStockEnabled |
                                    ctl::kStockHwnd | ctl::kStockFont | ctl::kStockAboutBox);
    }
    static void AddBorderStyle(Table& t) {
        t.Property("BorderStyle", com::VT_VARIANT, {}, [](Self& c, Args) { return Variant::I2(c.BorderStyle); },
                   [](Self& c, Args, const Variant& v) {
                       c.BorderStyle = static_cast<std::int16_t>(IntOf(c, v, 0, 1, 145, -1));
                       c.ApplyBorderLayout();
                       c.InvalidateControl();
                       Changed(c, com::DISPID_BORDERSTYLE);
                   },
                   com::DISPID_BORDERSTYLE);
    }
};

}  // namespace zmtext
