// ZMEditMembers<C>: the dispatch members every edit field of the library shares, as builders over
// the edit-control base. Each field adds them to its own table in its own order, so a member's
// DISPID follows that field's table; what differs between fields (the help context of an error,
// an accepted range, the DISPID a setter announces) is an argument of the builder.
//
// The builders reach the state the fields share as the friend of the field base
// (CZMEditControl<C>); a field's own state stays with the field's own builders.
//
// Setter errors are dispatch error 380 (481 for a picture) with a text of the library's string
// table and a help context (-1: none); a refused value leaves the property as it was.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>
#include <type_traits>

#include "platform/com/cursor.h"
#include "platform/ctl/control.h"
#include "platform/ctl/cursors.h"
#include "platform/ctl/font_picture.h"
#include "platform/win/cp1252.h"

namespace zmtext {

template <class C>
class ZMEditMembers {
public:
    using Table = com::DispatchTable<C>;
    using Args = com::DispatchMap::Args;
    using Variant = com::Variant;

    // --- Conversions and refusals ----------------------------------------------------------------
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
    static std::int16_t ShortOf(const C& c, const Variant& v, long low, long high, int id, std::int32_t context = -1) {
        return static_cast<std::int16_t>(IntOf(c, v, low, high, id, context));
    }
    static std::string TextOf(const Variant& v) {
        Variant s;
        if (com::Failed(com::ChangeType(s, v, com::VT_BSTR))) return {};
        return win::Utf8ToCp1252(s.AsStr().ToUtf8());
    }
    static Variant Str(const std::string& cp1252) { return Variant::Utf8(win::Cp1252ToUtf8(cp1252)); }
    static Variant OneChar(char ch) { return Str(ch ? std::string(1, ch) : std::string()); }
    static bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }
    // Members that only mean something while the container runs the form.
    static void RunModeOnly(const C& c) {
        if (!c.AmbientUserMode()) ctl::ControlBase::GetNotSupported();
    }
    static void Changed(C& c, com::DispId id) {
        c.BoundPropertyChanged(id);
        c.SetModifiedFlag();
    }

    // --- Builders --------------------------------------------------------------------------------
    // A BOOL property of the engine or the field with its error text; `invalidate` redraws.
    static void AddFlag(Table& t, const char* name, bool C::*member, int id, std::int32_t context, com::DispId notify,
                        bool invalidate = false) {
        t.Property(name, com::VT_VARIANT, {}, [member](C& c, Args) { return Variant::Bool(c.*member); },
                   [=](C& c, Args, const Variant& v) {
                       c.*member = BoolOf(c, v, id, context);
                       if (invalidate) c.InvalidateField();
                       Changed(c, notify);
                   });
    }
    static void AddDataSource(Table& t, com::DispId id) {
        t.Property("DataSource", com::VT_VARIANT, {},
                   [](C& c, Args) { return Variant::Unknown(com::ComPtr<com::IUnknown>(c.GetCursor())); },
                   [id](C& c, Args, const Variant& v) {
                       com::ComPtr<com::ICursor> cursor;
                       if (com::IUnknown* u = v.AsUnknown()) u->QueryInterface(com::ICursor::kIid, cursor.PutVoid());
                       c.SetCursor(cursor.Get());
                       c.BindStoredCursor();
                       Changed(c, id);
                   });
    }
    static void AddModified(Table& t, std::int32_t context, com::DispId id) {
        t.Property("Modified", com::VT_VARIANT, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::Bool(c.Modified);
                   },
                   [=](C& c, Args, const Variant& v) {
                       c.Modified = BoolOf(c, v, 149, context);
                       Changed(c, id);
                   });
    }
    // The selection members announce their change without marking the control modified.
    static void AddSelLength(Table& t, com::DispId id) {
        t.Property("SelLength", com::VT_I4, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::I4(c.GetSelLength());
                   },
                   [id](C& c, Args, const Variant& v) {
                       c.SetSelLength(v.AsI4());
                       c.BoundPropertyChanged(id);
                   });
    }
    static void AddSelStart(Table& t, com::DispId id) {
        t.Property("SelStart", com::VT_I4, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::I4(c.GetSelStart());
                   },
                   [id](C& c, Args, const Variant& v) {
                       c.SetSelStart(v.AsI4());
                       c.BoundPropertyChanged(id);
                   });
    }
    static void AddSelText(Table& t, com::DispId id) {
        t.Property("SelText", com::VT_BSTR, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Str(c.GetSelText());
                   },
                   [id](C& c, Args, const Variant& v) {
                       c.SetSelText(TextOf(v));
                       c.BoundPropertyChanged(id);
                   });
    }
    // SelLength, SelStart and SelText at `first` and the two DISPIDs after it.
    static void AddSelection(Table& t, com::DispId first) {
        AddSelLength(t, first);
        AddSelStart(t, first + 1);
        AddSelText(t, first + 2);
    }
    static void AddBorderEffect(Table& t, std::int32_t context, com::DispId id) {
        t.Property("BorderEffect", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.BorderEffect); },
                   [=](C& c, Args, const Variant& v) {
                       c.BorderEffect = ShortOf(c, v, 0, 2, 137, context);
                       c.ApplyBorderLayout();
                       c.InvalidateControl();
                       Changed(c, id);
                   });
    }
    // DataProperty 0..`high`, refused with the text `message`.
    static void AddDataProperty(Table& t, long high, int message, std::int32_t context, com::DispId id) {
        t.Property("DataProperty", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.DataProperty); },
                   [=](C& c, Args, const Variant& v) {
                       c.DataProperty = ShortOf(c, v, 0, high, message, context);
                       Changed(c, id);
                   });
    }
    // DisplayOnly is ReadOnly under its older name, readable only at run time.
    static void AddDisplayOnly(Table& t, std::int32_t context, com::DispId id) {
        t.Property("DisplayOnly", com::VT_VARIANT, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::Bool(c.ReadOnly);
                   },
                   [=](C& c, Args, const Variant& v) {
                       c.ReadOnly = BoolOf(c, v, 139, context);
                       Changed(c, id);
                   });
    }
    static void AddReadOnly(Table& t, com::DispId id) {
        t.Property("ReadOnly", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.ReadOnly); },
                   [id](C& c, Args, const Variant& v) {
                       c.ReadOnly = BoolOf(c, v, 139, -1);
                       Changed(c, id);
                   });
    }
    static void AddInsert(Table& t, std::int32_t context, com::DispId id) {
        t.Property("Insert", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.Insert); },
                   [=](C& c, Args, const Variant& v) {
                       c.SetInsertMode(BoolOf(c, v, 143, context) ? 1 : 0);
                       Changed(c, id);
                   });
    }
    static void AddJustification(Table& t, std::int32_t context, com::DispId id) {
        t.Property("Justification", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.Justification); },
                   [=](C& c, Args, const Variant& v) {
                       c.Justification = ShortOf(c, v, 0, 2, 144, context);
                       c.InvalidateField();
                       Changed(c, id);
                   });
    }
    // RawData (a field may show it through GetRawDataProperty); a field whose PutRawData answers
    // whether it took the text refuses one it cannot read with "Invalid RawData Value".
    static void AddRawData(Table& t, std::int32_t context, com::DispId id) {
        t.Property("RawData", com::VT_BSTR, {},
                   [](C& c, Args) {
                       if constexpr (requires { c.GetRawDataProperty(); }) return Str(c.GetRawDataProperty());
                       else return Str(c.RawData);
                   },
                   [=](C& c, Args, const Variant& v) {
                       if constexpr (std::is_same_v<decltype(c.PutRawData(std::string())), bool>) {
                           if (!c.PutRawData(TextOf(v))) Refuse(c, 147, context);
                       } else {
                           c.PutRawData(TextOf(v));
                       }
                       Changed(c, id);
                   });
    }
    static void AddMousePointer(Table& t, com::DispId id) {
        t.Property("MousePointer", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.MousePointer); },
                   [id](C& c, Args, const Variant& v) {
                       c.MousePointer = ShortOf(c, v, 0, ctl::kMousePointerMax, 186);
                       // The cursor changes at once when the pointer rests over the field.
                       if (c.Window() && c.Window()->underMouse()) c.OnSetCursor();
                       Changed(c, id);
                   });
    }
    // MouseIcon takes no picture or an icon.
    static void AddMouseIcon(Table& t, com::DispId id) {
        t.Property("MouseIcon", com::VT_VARIANT, {},
                   [](C& c, Args) {
                       auto picture = ctl::PictureObject::Create(c.MouseIcon);
                       return Variant::Dispatch(com::ComPtr<com::IDispatch>(picture.Get()));
                   },
                   [id](C& c, Args, const Variant& v) {
                       com::PictureData data;
                       if (com::IDispatch* d = v.AsDispatch()) {
                           const auto found = ctl::PictureDataOf(d);
                           if (!found) Refuse(c, 185, -1, com::CTL_E_INVALIDPICTURE);
                           data = *found;
                       }
                       if (data.type != com::PictureType::None && data.type != com::PictureType::Icon)
                           Refuse(c, 185, -1, com::CTL_E_INVALIDPICTURE);
                       c.MouseIcon = std::move(data);
                       Changed(c, id);
                   });
    }
    // The read-only HdnHeight, HdnWidth (in that order unless `widthFirst`) and HdnDataPropCount,
    // which answers how many DataProperty choices the field has.
    static void AddHidden(Table& t, std::int16_t dataPropCount, bool widthFirst = false) {
        auto refuse = [](C&, Args, const Variant&) { ctl::ControlBase::SetNotSupported(); };
        auto addHeight = [&] {
            t.Property("HdnHeight", com::VT_I4, {}, [](C& c, Args) { return Variant::I4(c.GetControlSize().height()); },
                       refuse);
        };
        if (!widthFirst) addHeight();
        t.Property("HdnWidth", com::VT_I4, {}, [](C& c, Args) { return Variant::I4(c.GetControlSize().width()); },
                   refuse);
        if (widthFirst) addHeight();
        t.Property("HdnDataPropCount", com::VT_I2, {}, [dataPropCount](C&, Args) { return Variant::I2(dataPropCount); },
                   refuse);
    }
    static void AddDataField(Table& t, com::DispId id) {
        t.Property("DataField", com::VT_BSTR, {}, [](C& c, Args) { return Str(c.DataField); },
                   [id](C& c, Args, const Variant& v) {
                       c.DataField = TextOf(v);
                       Changed(c, id);
                   });
    }
    // DataChanged: ignored while the property set loads and when it would not change.
    static void AddDataChanged(Table& t, com::DispId id) {
        t.Property("DataChanged", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.DataChanged()); },
                   [id](C& c, Args, const Variant& v) {
                       const bool changed = BoolOf(c, v, 244, -1);
                       if (c.IsLoading() || changed == c.DataChanged()) return;
                       c.ADBHelper::SetDataChanged(changed);
                       Changed(c, id);
                   });
    }
    // Text at its stock DISPID and again as the default member _Text.
    static void AddText(Table& t) {
        auto getText = [](C& c, Args) { return Str(c.GetText()); };
        auto putText = [](C& c, Args, const Variant& v) {
            c.PutText(TextOf(v));
            c.SetModifiedFlag();
        };
        t.Property("Text", com::VT_BSTR, {}, getText, putText, com::DISPID_TEXT);
        t.Property("_Text", com::VT_BSTR, {}, getText, putText, com::DispId{0});
    }
    static void AddBorderStyle(Table& t) {
        t.Property("BorderStyle", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.BorderStyle); },
                   [](C& c, Args, const Variant& v) {
                       c.BorderStyle = ShortOf(c, v, 0, 1, 145);
                       c.ApplyBorderLayout();
                       c.InvalidateControl();
                       Changed(c, com::DISPID_BORDERSTYLE);
                   },
                   com::DISPID_BORDERSTYLE);
    }
    static void AddStock(Table& t) {
        ctl::AddStockMembers(t, ctl::kStockBackColor | ctl::kStockForeColor | ctl::kStockEnabled |
                                    ctl::kStockHwnd | ctl::kStockFont | ctl::kStockAboutBox);
    }
    // The tail of most tables: Text, _Text, BorderStyle and the stock members.
    static void AddTextBorderAndStock(Table& t) {
        AddText(t);
        AddBorderStyle(t);
        AddStock(t);
    }
};

}  // namespace zmtext
