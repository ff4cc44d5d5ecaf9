// The dispatch members the date and the time field share, as builders over the control class:
// each field adds them to its own table in its own DISPID order. The builders reach the fields'
// state as their friend.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/ctl/cursors.h"
#include "platform/ctl/font_picture.h"
#include "platform/win/cp1252.h"
#include "zmtext/module/app.h"
#include "zmtext/module/classes.h"
#include "zmtext/module/strings.h"

namespace zmtext {

// The class description of a value field of `kind` with its own property pages in order.
inline ctl::ControlClassInfo ZMValueFieldClassInfo(ZMControlKind kind, std::initializer_list<const char*> pages) {
    const ZMControlClassInfo& cls = ZMControlClass(kind);
    ctl::ControlClassInfo info;
    info.clsid = cls.clsid;
    info.dispIid = cls.dispatchIid;
    info.eventIid = cls.eventIid;
    info.stockProperties = ctl::kStockBackColor | ctl::kStockForeColor | ctl::kStockEnabled |
                           ctl::kStockHwnd | ctl::kStockFont;
    info.stockEvents = ctl::kAllStockEvents;
    info.miscStatus = cls.miscStatus;
    for (const char* page : pages)
        for (const auto& p : ZMPageClasses())
            if (p.className == page) info.propertyPages.push_back(p.clsid);
    info.resources = &ZMResources();
    info.helpFile = ZMHelpFilePath();
    return info;
}

// A raw text as the engine keeps it: the typed characters alone, no trailing fill characters.
inline std::string ZMWithoutTrailingFill(std::string raw, char fill) {
    while (!raw.empty() && raw.back() == fill) raw.pop_back();
    return raw;
}

template <class C>
class ZMDateTimeMembers {
public:
    using Table = com::DispatchTable<C>;
    using Args = com::DispatchMap::Args;
    using Variant = com::Variant;

    // An error of a setter: 380 with the text `id` and the help context (-1: none).
    [[noreturn]] static void Refuse(const C& c, int id, std::int32_t context = -1,
                                    com::HResult scode = com::CTL_E_INVALIDPROPERTYVALUE) {
        c.ThrowError(scode, id, static_cast<std::uint32_t>(context));
    }
    // A BOOL property takes True, False, 0 or 1.
    static bool BoolOf(const C& c, const Variant& v, int id, std::int32_t context) {
        if (v.BaseType() == com::VT_BOOL) return v.AsBool();
        Variant n;
        if (com::Failed(com::ChangeType(n, v, com::VT_I4)) || (n.AsI4() != 0 && n.AsI4() != 1)) Refuse(c, id, context);
        return n.AsI4() == 1;
    }
    static long IntOf(const C& c, const Variant& v, long low, long high, int id, std::int32_t context = -1) {
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
    static void Changed(C& c, com::DispId id) {
        c.BoundPropertyChanged(id);
        c.SetModifiedFlag();
    }
    static bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

    static void AddFlag(Table& t, const char* name, bool C::*member, int id, std::int32_t context, com::DispId notify) {
        t.Property(name, com::VT_VARIANT, {}, [member](C& c, Args) { return Variant::Bool(c.*member); },
                   [=](C& c, Args, const Variant& v) {
                       c.*member = BoolOf(c, v, id, context);
                       Changed(c, notify);
                   });
    }
    // A 16-bit enumeration with its accepted range and refusal text; `after` runs once stored.
    template <class After>
    static void AddEnum(Table& t, const char* name, std::int16_t C::*member, long high, int id, com::DispId notify,
                        After after) {
        t.Property(name, com::VT_VARIANT, {}, [member](C& c, Args) { return Variant::I2(c.*member); },
                   [=](C& c, Args, const Variant& v) {
                       c.*member = static_cast<std::int16_t>(IntOf(c, v, 0, high, id));
                       after(c);
                       Changed(c, notify);
                   });
    }

    static void AddDataSource(Table& t, com::DispId id) {
        t.Property("DataSource", com::VT_VARIANT, {},
                   [](C& c, Args) { return Variant::Unknown(com::ComPtr<com::IUnknown>(c.cursor_.Get())); },
                   [id](C& c, Args, const Variant& v) {
                       com::ComPtr<com::ICursor> cursor;
                       if (com::IUnknown* u = v.AsUnknown()) u->QueryInterface(com::ICursor::kIid, cursor.PutVoid());
                       c.SetCursor(cursor.Get());
                       c.BindStoredCursor();
                       Changed(c, id);
                   });
    }
    static void AddFonts(Table& t, bool strikeBeforeUnderline) {
        C::AddFontName(t);
        C::AddFontBold(t);
        C::AddFontItalic(t);
        if (strikeBeforeUnderline) C::AddFontStrikeThru(t);
        C::AddFontUnderline(t);
    }
    static void AddModified(Table& t, com::DispId id) {
        t.Property("Modified", com::VT_VARIANT, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::Bool(c.Modified);
                   },
                   [id](C& c, Args, const Variant& v) {
                       c.Modified = BoolOf(c, v, 149, -391835);
                       Changed(c, id);
                   });
    }
    // SelLength, SelStart, SelText from `first` on.
    static void AddSelection(Table& t, com::DispId first) {
        t.Property("SelLength", com::VT_I4, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::I4(c.GetSelLength());
                   },
                   [first](C& c, Args, const Variant& v) {
                       c.SetSelLength(v.AsI4());
                       c.BoundPropertyChanged(first);
                   });
        t.Property("SelStart", com::VT_I4, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::I4(c.GetSelStart());
                   },
                   [first](C& c, Args, const Variant& v) {
                       c.SetSelStart(v.AsI4());
                       c.BoundPropertyChanged(first + 1);
                   });
        t.Property("SelText", com::VT_BSTR, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Str(c.GetSelText());
                   },
                   [first](C& c, Args, const Variant& v) {
                       c.SetSelText(TextOf(v));
                       c.BoundPropertyChanged(first + 2);
                   });
    }
    static void AddBorderEffect(Table& t, com::DispId id) {
        t.Property("BorderEffect", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.BorderEffect); },
                   [id](C& c, Args, const Variant& v) {
                       c.BorderEffect = static_cast<std::int16_t>(IntOf(c, v, 0, 2, 137, -391874));
                       c.ApplyBorderLayout();
                       c.InvalidateControl();
                       Changed(c, id);
                   });
    }
    static void AddDataProperty(Table& t, com::DispId id) {
        t.Property("DataProperty", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.DataProperty); },
                   [id](C& c, Args, const Variant& v) {
                       c.DataProperty = static_cast<std::int16_t>(IntOf(c, v, 0, 2, 138, -391867));
                       Changed(c, id);
                   });
    }
    static void AddDisplayOnly(Table& t, com::DispId id) {
        t.Property("DisplayOnly", com::VT_VARIANT, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::Bool(c.ReadOnly);
                   },
                   [id](C& c, Args, const Variant& v) {
                       c.ReadOnly = BoolOf(c, v, 139, -391865);
                       Changed(c, id);
                   });
    }
    static void AddFocusSelectInsert(Table& t, com::DispId focusSelect) {
        AddFlag(t, "FocusSelect", &C::FocusSelect, 142, -391857, focusSelect);
        t.Property("Insert", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.Insert); },
                   [focusSelect](C& c, Args, const Variant& v) {
                       c.SetInsertMode(BoolOf(c, v, 143, -391841) ? 1 : 0);
                       Changed(c, focusSelect + 1);
                   });
    }
    // FillChar: not a digit and no character that `clashes` with a separator.
    template <class Clash>
    static void AddFillChar(Table& t, com::DispId id, Clash clashes) {
        t.Property("FillChar", com::VT_BSTR, {}, [](C& c, Args) { return OneChar(c.FillChar); },
                   [=](C& c, Args, const Variant& v) {
                       const std::string text = TextOf(v);
                       const char ch = text.empty() ? '_' : text[0];
                       if (IsDigit(ch)) Refuse(c, 204);
                       if (clashes(c, ch)) Refuse(c, 205);
                       c.FillChar = ch;
                       c.InvalidateField();
                       Changed(c, id);
                   });
    }
    static void AddFmtSeparator(Table& t, com::DispId id) {
        t.Property("FmtSeparator", com::VT_BSTR, {}, [](C& c, Args) { return OneChar(c.FmtSeparator); },
                   [id](C& c, Args, const Variant& v) {
                       const std::string text = TextOf(v);
                       const char ch = text.empty() ? '\0' : text[0];
                       if (IsDigit(ch)) Refuse(c, 203);
                       if (ch != '\0' && ch == c.FillChar) Refuse(c, 205);
                       c.FmtSeparator = ch;
                       c.InvalidateField();
                       Changed(c, id);
                   });
    }
    // Justification, ReadOnly, MousePointer, MouseIcon from `first` on.
    static void AddJustificationToMouse(Table& t, com::DispId first) {
        t.Property("Justification", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.Justification); },
                   [first](C& c, Args, const Variant& v) {
                       c.Justification = static_cast<std::int16_t>(IntOf(c, v, 0, 2, 144, -391840));
                       c.InvalidateField();
                       Changed(c, first);
                   });
        t.Property("ReadOnly", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.ReadOnly); },
                   [first](C& c, Args, const Variant& v) {
                       c.ReadOnly = BoolOf(c, v, 139, -1);
                       Changed(c, first + 1);
                   });
        t.Property("MousePointer", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.MousePointer); },
                   [first](C& c, Args, const Variant& v) {
                       c.MousePointer = static_cast<std::int16_t>(IntOf(c, v, 0, ctl::kMousePointerMax, 186, -1));
                       if (c.Window() && c.Window()->underMouse()) c.OnSetCursor();
                       Changed(c, first + 2);
                   });
        t.Property("MouseIcon", com::VT_VARIANT, {},
                   [](C& c, Args) {
                       auto picture = ctl::PictureObject::Create(c.MouseIcon);
                       return Variant::Dispatch(com::ComPtr<com::IDispatch>(picture.Get()));
                   },
                   [first](C& c, Args, const Variant& v) {
                       com::PictureData data;
                       if (com::IDispatch* d = v.AsDispatch()) {
                           const auto found = ctl::PictureDataOf(d);
                           if (!found) Refuse(c, 185, -1, com::CTL_E_INVALIDPICTURE);
                           data = *found;
                       }
                       if (data.type != com::PictureType::None && data.type != com::PictureType::Icon)
                           Refuse(c, 185, -1, com::CTL_E_INVALIDPICTURE);
                       c.MouseIcon = std::move(data);
                       Changed(c, first + 3);
                   });
    }
    static void AddHidden(Table& t) {
        t.Property("HdnHeight", com::VT_I4, {}, [](C& c, Args) { return Variant::I4(c.GetControlSize().height()); },
                   [](C&, Args, const Variant&) { ctl::ControlBase::SetNotSupported(); });
        t.Property("HdnWidth", com::VT_I4, {}, [](C& c, Args) { return Variant::I4(c.GetControlSize().width()); },
                   [](C&, Args, const Variant&) { ctl::ControlBase::SetNotSupported(); });
        t.Property("HdnDataPropCount", com::VT_I2, {}, [](C&, Args) { return Variant::I2(3); },
                   [](C&, Args, const Variant&) { ctl::ControlBase::SetNotSupported(); });
    }
    // DataField and DataChanged from `first` on.
    static void AddDataFieldAndChanged(Table& t, com::DispId first) {
        t.Property("DataField", com::VT_BSTR, {}, [](C& c, Args) { return Str(c.DataField); },
                   [first](C& c, Args, const Variant& v) {
                       c.DataField = TextOf(v);
                       Changed(c, first);
                   });
        t.Property("DataChanged", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.DataChanged()); },
                   [first](C& c, Args, const Variant& v) {
                       const bool changed = BoolOf(c, v, 244, -1);
                       if (c.IsLoading() || changed == c.DataChanged()) return;
                       c.ADBHelper::SetDataChanged(changed);
                       Changed(c, first + 1);
                   });
    }
    static void AddStockAndText(Table& t) {
        auto getText = [](C& c, Args) { return Str(c.Text); };
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

}  // namespace zmtext
