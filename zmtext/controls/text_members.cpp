// The masked text field's dispatch members, in the order that numbers them, its events, and its
// entry in the library's factory list.
#include <QCoreApplication>
#include <QCursor>

#include "platform/ctl/cursors.h"
#include "platform/ctl/font_picture.h"
#include "platform/win/cp1252.h"
#include "zmtext/controls/text_ctrl.h"
#include "zmtext/module/classes.h"

namespace zmtext {

// The members reach the control's state through this friend.
class ZMTextMembers {
public:
    using C = CZMTextCtrl;
    using Table = com::DispatchTable<C>;
    using Args = com::DispatchMap::Args;
    using Variant = com::Variant;

    // An error of a setter: 380 with the text `id` and the help context (-1: none).
    [[noreturn]] static void Refuse(const C& c, int id, std::int32_t context, com::HResult scode = com::CTL_E_INVALIDPROPERTYVALUE) {
        c.ThrowError(scode, id, static_cast<std::uint32_t>(context));
    }
    // A BOOL property takes True, False, 0 or 1.
    static bool BoolOf(const C& c, const Variant& v, int id, std::int32_t context) {
        if (v.BaseType() == com::VT_BOOL) return v.AsBool();
        Variant n;
        if (com::Failed(com::ChangeType(n, v, com::VT_I4)) || (n.AsI4() != 0 && n.AsI4() != 1)) Refuse(c, id, context);
        return n.AsI4() == 1;
    }
    static long IntOf(const C& c, const Variant& v, long low, long high, int id, std::int32_t context) {
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
    static void RunModeOnly(const C& c) {
        if (!c.AmbientUserMode()) ctl::ControlBase::GetNotSupported();
    }
    static void Changed(C& c, com::DispId id, bool modified = true) {
        c.BoundPropertyChanged(id);
        if (modified) c.SetModifiedFlag();
    }

    // A BOOL property of the engine or the control with its error text.
    static void AddFlag(Table& t, const char* name, bool C::*member, int id, std::int32_t context, com::DispId notify,
                        bool invalidate = false) {
        t.Property(name, com::VT_VARIANT, {}, [member](C& c, Args) { return Variant::Bool(c.*member); },
                   [=](C& c, Args, const Variant& v) {
                       c.*member = BoolOf(c, v, id, context);
                       if (invalidate) c.InvalidateField();
                       Changed(c, notify);
                   });
    }

    static void AddFirstMembers(Table& t) {
        t.Property("ValidateMask", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.ValidateMask); },
                   [](C& c, Args, const Variant& v) {
                       Variant b;
                       if (com::Failed(com::ChangeType(b, v, com::VT_BOOL))) com::ThrowError(com::CTL_E_INVALIDPROPERTYVALUE);
                       c.ValidateMask = b.AsBool();
                       c.SetModifiedFlag();
                   });
        t.Property("DataSource", com::VT_VARIANT, {},
                   [](C& c, Args) { return Variant::Unknown(com::ComPtr<com::IUnknown>(c.cursor_.Get())); },
                   [](C& c, Args, const Variant& v) {
                       com::ComPtr<com::ICursor> cursor;
                       if (com::IUnknown* u = v.AsUnknown()) u->QueryInterface(com::ICursor::kIid, cursor.PutVoid());
                       c.SetCursor(cursor.Get());
                       c.BindStoredCursor();
                       Changed(c, kTextDataSource);
                   });
        C::AddFontName(t);
        C::AddFontBold(t);
        C::AddFontItalic(t);
        C::AddFontUnderline(t);
        C::AddFontStrikeThru(t);
        t.Property("CharacterTable", com::VT_BSTR, {}, [](C& c, Args) { return Str(c.CharacterTable); },
                   [](C& c, Args, const Variant& v) {
                       c.CharacterTable = TextOf(v).substr(0, kZMMaxPositions);
                       Changed(c, kTextCharacterTable);
                   });
        t.Property("Mask", com::VT_BSTR, {}, [](C& c, Args) { return Str(c.Mask); },
                   [](C& c, Args, const Variant& v) {
                       c.PutMask(TextOf(v));
                       c.SetModifiedFlag();
                   });
        t.Property("SelText", com::VT_BSTR, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Str(c.GetSelText());
                   },
                   [](C& c, Args, const Variant& v) {
                       c.SetSelText(TextOf(v));
                       c.BoundPropertyChanged(kTextSelText);
                   });
        t.Property("SelLength", com::VT_I4, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::I4(c.GetSelLength());
                   },
                   [](C& c, Args, const Variant& v) {
                       c.SetSelLength(v.AsI4());
                       c.BoundPropertyChanged(kTextSelLength);
                   });
        t.Property("SelStart", com::VT_I4, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::I4(c.GetSelStart());
                   },
                   [](C& c, Args, const Variant& v) {
                       c.SetSelStart(v.AsI4());
                       c.BoundPropertyChanged(kTextSelStart);
                   });
    }

    static void AddBorderAndFlags(Table& t) {
        AddFlag(t, "AutoScroll", &C::AutoScroll, 136, -391876, kTextAutoScroll);
        t.Property("BorderEffect", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.BorderEffect); },
                   [](C& c, Args, const Variant& v) {
                       c.BorderEffect = static_cast<std::int16_t>(IntOf(c, v, 0, 2, 137, -391874));
                       c.ApplyBorderLayout();
                       c.InvalidateControl();
                       Changed(c, kTextBorderEffect);
                   });
        t.Property("DataProperty", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.DataProperty); },
                   [](C& c, Args, const Variant& v) {
                       c.DataProperty = static_cast<std::int16_t>(IntOf(c, v, 0, 1, 180, -391867));
                       Changed(c, kTextDataProperty);
                   });
        t.Property("DisplayOnly", com::VT_VARIANT, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::Bool(c.ReadOnly);
                   },
                   [](C& c, Args, const Variant& v) {
                       c.ReadOnly = BoolOf(c, v, 139, -391865);
                       Changed(c, kTextDisplayOnly);
                   });
        AddFlag(t, "EOLTab", &C::EOLTab, 140, -391860, kTextEOLTab);
        AddFlag(t, "ErrorBeep", &C::ErrorBeep, 141, -391859, kTextErrorBeep);
        t.Property("FillChar", com::VT_BSTR, {}, [](C& c, Args) { return OneChar(c.FillChar); },
                   [](C& c, Args, const Variant& v) { c.PutFillChar(TextOf(v)); });
        AddFlag(t, "FocusSelect", &C::FocusSelect, 142, -391857, kTextFocusSelect);
        t.Property("Insert", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.Insert); },
                   [](C& c, Args, const Variant& v) {
                       c.SetInsertMode(BoolOf(c, v, 143, -391841) ? 1 : 0);
                       Changed(c, kTextInsert);
                   });
        t.Property("Justification", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.Justification); },
                   [](C& c, Args, const Variant& v) {
                       c.Justification = static_cast<std::int16_t>(IntOf(c, v, 0, 2, 144, -391840));
                       c.InvalidateField();
                       Changed(c, kTextJustification);
                   });
    }

    static void AddDataAndLimits(Table& t) {
        t.Property("RawData", com::VT_BSTR, {}, [](C& c, Args) { return Str(c.RawData); },
                   [](C& c, Args, const Variant& v) {
                       c.PutRawData(TextOf(v));
                       Changed(c, kTextRawData);
                   });
        t.Property("PWCharacter", com::VT_BSTR, {}, [](C& c, Args) { return OneChar(c.PasswordChar); },
                   [](C& c, Args, const Variant& v) { c.PutPasswordChar(TextOf(v)); });
        C::AddFontSize(t);
        t.Property("MaxCharacters", com::VT_VARIANT, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::I2(c.GetMaxLengthProperty());
                   },
                   [](C& c, Args, const Variant& v) { c.PutMaxLength(IntOf(c, v, 0, 255, 148, -391837)); });
        t.Property("Characters", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.Characters); },
                   [](C& c, Args, const Variant& v) { c.PutCharacters(IntOf(c, v, -1, 63, 146, -391872)); });
        t.Property("Modified", com::VT_VARIANT, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::Bool(c.Modified);
                   },
                   [](C& c, Args, const Variant& v) {
                       c.Modified = BoolOf(c, v, 149, -391835);
                       Changed(c, kTextModified);
                   });
        AddFlag(t, "UseUnderline", &C::UseFillChar, 182, -391813, kTextUseUnderline, true);
        AddFlag(t, "UseFillChar", &C::UseFillChar, 182, -391813, kTextUseFillChar, true);
        t.Property("MaxLength", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.GetMaxLengthProperty()); },
                   [](C& c, Args, const Variant& v) { c.PutMaxLength(IntOf(c, v, 0, 255, 148, -391837)); });
        t.Property("PasswordChar", com::VT_BSTR, {}, [](C& c, Args) { return OneChar(c.PasswordChar); },
                   [](C& c, Args, const Variant& v) { c.PutPasswordChar(TextOf(v)); });
        t.Property("ReadOnly", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.ReadOnly); },
                   [](C& c, Args, const Variant& v) {
                       c.ReadOnly = BoolOf(c, v, 139, -1);
                       Changed(c, kTextDisplayOnly);
                   });
        AddFlag(t, "HideSelection", &C::HideSelection, 184, -1, kTextHideSelection, true);
    }

    static void AddMouseAndHidden(Table& t) {
        t.Property("MouseIcon", com::VT_VARIANT, {},
                   [](C& c, Args) {
                       auto picture = ctl::PictureObject::Create(c.MouseIcon);
                       return Variant::Dispatch(com::ComPtr<com::IDispatch>(picture.Get()));
                   },
                   [](C& c, Args, const Variant& v) {
                       com::PictureData data;
                       if (com::IDispatch* d = v.AsDispatch()) {
                           const auto found = ctl::PictureDataOf(d);
                           if (!found) Refuse(c, 185, -1, com::CTL_E_INVALIDPICTURE);
                           data = *found;
                       }
                       if (data.type != com::PictureType::None && data.type != com::PictureType::Icon)
                           Refuse(c, 185, -1, com::CTL_E_INVALIDPICTURE);
                       c.MouseIcon = std::move(data);
                       Changed(c, kTextMouseIcon);
                   });
        t.Property("MousePointer", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.MousePointer); },
                   [](C& c, Args, const Variant& v) {
                       c.MousePointer = static_cast<std::int16_t>(IntOf(c, v, 0, ctl::kMousePointerMax, 186, -1));
                       // The cursor changes at once when the pointer rests over the field.
                       if (c.Window() && c.Window()->underMouse()) c.OnSetCursor();
                       Changed(c, kTextMousePointer);
                   });
        t.Property("HdnHeight", com::VT_I4, {}, [](C& c, Args) { return Variant::I4(c.GetControlSize().height()); },
                   [](C&, Args, const Variant&) { ctl::ControlBase::SetNotSupported(); });
        t.Property("HdnWidth", com::VT_I4, {}, [](C& c, Args) { return Variant::I4(c.GetControlSize().width()); },
                   [](C&, Args, const Variant&) { ctl::ControlBase::SetNotSupported(); });
        t.Property("HdnDataPropCount", com::VT_I2, {}, [](C&, Args) { return Variant::I2(2); },
                   [](C&, Args, const Variant&) { ctl::ControlBase::SetNotSupported(); });
        C::AddToolTip(t);
        t.Property("DataField", com::VT_BSTR, {}, [](C& c, Args) { return Str(c.DataField); },
                   [](C& c, Args, const Variant& v) {
                       c.DataField = TextOf(v);
                       Changed(c, kTextDataField);
                   });
        t.Property("DataChanged", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.DataChanged()); },
                   [](C& c, Args, const Variant& v) {
                       const bool changed = BoolOf(c, v, 244, -1);
                       if (c.IsLoading() || changed == c.DataChanged()) return;
                       c.ADBHelper::SetDataChanged(changed);
                       Changed(c, kTextDataChanged);
                   });
    }

    static void AddStockAndText(Table& t) {
        auto getText = [](C& c, Args) { return Str(c.GetText()); };
        auto putText = [](C& c, Args, const Variant& v) {
            c.PutText(TextOf(v));
            c.SetModifiedFlag();
        };
        t.Property("Text", com::VT_BSTR, {}, getText, putText, com::DISPID_TEXT);
        t.Property("_Text", com::VT_BSTR, {}, getText, putText, com::DispId{0});
        t.Property("BorderStyle", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.BorderStyle); },
                   [](C& c, Args, const Variant& v) {
                       c.BorderStyle = static_cast<std::int16_t>(IntOf(c, v, 0, 1, 145, -1));
                       c.ApplyBorderLayout();
                       c.InvalidateControl();
                       Changed(c, com::DISPID_BORDERSTYLE);
                   },
                   com::DISPID_BORDERSTYLE);
        ctl::AddStockMembers(t, ctl::kStockBackColor | ctl::kStockForeColor | ctl::kStockEnabled |
                                    ctl::kStockHwnd | ctl::kStockFont | ctl::kStockAboutBox);
    }
};

const com::DispatchMap& CZMTextCtrl::DispatchMembers() {
    static const com::DispatchTable<CZMTextCtrl> table = [] {
        com::DispatchTable<CZMTextCtrl> t("ZMTEXT.ZMTextCtrl.1");
        ZMTextMembers::AddFirstMembers(t);
        ZMTextMembers::AddBorderAndFlags(t);
        ZMTextMembers::AddDataAndLimits(t);
        ZMTextMembers::AddMouseAndHidden(t);
        ZMTextMembers::AddStockAndText(t);
        return t;
    }();
    return table.Map();
}

std::vector<com::FuncDesc> CZMTextCtrl::EventMembers() {
    return {{"Change", kTextChange, false, {}},       {"EndOfLine", kTextEndOfLine, false, {}},
            {"InvalidKey", kTextInvalidKey, false, {}}, {"Invalid", kTextInvalid, false, {}},
            {"Click", -600, false, {}},               {"DblClick", -601, false, {}},
            {"KeyDown", -602, false, {}},             {"KeyPress", -603, false, {}},
            {"KeyUp", -604, false, {}},               {"MouseDown", -605, false, {}},
            {"MouseMove", -606, false, {}},           {"MouseUp", -607, false, {}}};
}

// --- Setters with more than one step -------------------------------------------------------------

void CZMTextCtrl::PutCharacters(long flags) {
    Characters = static_cast<std::int16_t>(flags);
    FormatText();
    InvalidateField();
    BoundPropertyChanged(kTextCharacters);
    SetModifiedFlag();
}

void CZMTextCtrl::PutMaxLength(long n) {
    MaxLength = static_cast<std::int16_t>(n == 0 ? 256 : n);
    InvalidateField();
    BoundPropertyChanged(kTextMaxCharacters);
    SetModifiedFlag();
}

void CZMTextCtrl::PutFillChar(std::string_view text) {
    FillChar = text.empty() ? '_' : text[0];
    FormatText();
    InvalidateField();
    BoundPropertyChanged(kTextFillChar);
    SetModifiedFlag();
}

void CZMTextCtrl::PutPasswordChar(std::string_view text) {
    PasswordChar = text.empty() ? '\0' : text[0];
    InvalidateField();
    BoundPropertyChanged(kTextPWCharacter);
    SetModifiedFlag();
}

namespace {

const ZMClassRegistrar kTextRegistrar(ZMControlFactory{
    ZMControlKind::Text,
    com::CreatorOf<CZMTextCtrl>(),
    ZMDescribeMembers(CZMTextCtrl::DispatchMembers()), CZMTextCtrl::EventMembers()});

}  // namespace
}  // namespace zmtext
