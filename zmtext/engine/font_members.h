// ZMFontMembers<C>: the font properties over a control's stock font (FontName, FontBold,
// FontItalic, FontUnderline, FontStrikeThru, FontSize), written once for the edit fields and
// the label. Each control adds them in its own order and says, by `idOf`, which DISPID a setter
// announces; the font itself notifies the change, so no setter marks the control modified.
//
// What the two kinds of control do differently with a size is stated by ZMFontRules.
#pragma once

#include <string>

#include "platform/ctl/control.h"
#include "platform/ctl/font_picture.h"
#include "platform/win/cp1252.h"

namespace zmtext {

// The setters see a value already converted to the property's type (BOOL, single-precision);
// what is left to judge is the size, which the font keeps as a currency value.
struct ZMFontRules {
    // A size of zero or less is refused.
    bool positiveSizeOnly = false;
    // A refusal carries the control's help file (else it is the bare dispatch error).
    bool controlError = true;
};

// The four BOOL attributes of the font, in the order of ZMFontMembers' table.
enum class ZMFontFlag { Bold, Italic, Underline, StrikeThru };

template <class C>
class ZMFontMembers {
public:
    using Table = com::DispatchTable<C>;
    using Args = com::DispatchMap::Args;
    using Variant = com::Variant;
    // `IdOf`: com::DispId(const C&), the DISPID a setter announces.

    template <class IdOf>
    static void AddFontName(Table& t, IdOf idOf) {
        t.Property("FontName", com::VT_BSTR, {},
                   [](C& c, Args) { return Variant::Utf8(win::Cp1252ToUtf8(c.InternalGetFont().Name())); },
                   [idOf](C& c, Args, const Variant& v) {
                       Variant s;
                       c.InternalGetFont().SetName(com::Failed(com::ChangeType(s, v, com::VT_BSTR)) ? std::string()
                                                                                                  : s.AsStr().ToAnsi());
                       c.BoundPropertyChanged(idOf(c));
                   });
    }
    template <class IdOf>
    static void AddFontFlag(Table& t, ZMFontFlag flag, IdOf idOf) {
        const FlagAccess& a = kFlags[static_cast<int>(flag)];
        t.Property(a.name, com::VT_BOOL, {},
                   [get = a.get](C& c, Args) { return Variant::Bool((c.InternalGetFont().*get)()); },
                   [set = a.set, idOf](C& c, Args, const Variant& v) {
                       (c.InternalGetFont().*set)(v.AsBool());
                       c.BoundPropertyChanged(idOf(c));
                   });
    }
    // The size is a single-precision number outside and the font's currency value inside.
    template <class IdOf>
    static void AddFontSize(Table& t, ZMFontRules rules, IdOf idOf) {
        t.Property("FontSize", com::VT_R4, {},
                   [](C& c, Args) {
                       Variant r4;
                       com::ChangeType(r4, Variant::Cy(c.InternalGetFont().Size()), com::VT_R4);
                       return r4;
                   },
                   [rules, idOf](C& c, Args, const Variant& v) {
                       Variant cy;
                       if (com::Failed(com::ChangeType(cy, v, com::VT_CY)) ||
                           (rules.positiveSizeOnly && cy.AsCy().scaled <= 0))
                           Refuse(c, rules);
                       c.InternalGetFont().SetSize(cy.AsCy());
                       c.BoundPropertyChanged(idOf(c));
                   });
    }

private:
    [[noreturn]] static void Refuse(const C& c, ZMFontRules rules) {
        if (rules.controlError) c.ThrowError(com::CTL_E_INVALIDPROPERTYVALUE, 0);
        com::ThrowError(com::CTL_E_INVALIDPROPERTYVALUE);
    }
    struct FlagAccess {
        const char* name;
        bool (ctl::FontObject::*get)() const;
        void (ctl::FontObject::*set)(bool);
    };
    static constexpr FlagAccess kFlags[] = {
        {"FontBold", &ctl::FontObject::Bold, &ctl::FontObject::SetBold},
        {"FontItalic", &ctl::FontObject::Italic, &ctl::FontObject::SetItalic},
        {"FontUnderline", &ctl::FontObject::Underline, &ctl::FontObject::SetUnderline},
        {"FontStrikeThru", &ctl::FontObject::Strikethrough, &ctl::FontObject::SetStrikethrough},
    };
};

}  // namespace zmtext
