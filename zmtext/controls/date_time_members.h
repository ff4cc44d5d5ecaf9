// The dispatch members the date and the time field share beyond every edit field's, as builders
// over the control class: each field adds them to its own table in its own DISPID order. The
// builders reach the fields' state as their friend.
#pragma once

#include <string>

#include "zmtext/controls/edit_members.h"

namespace zmtext {

// A raw text as the engine keeps it: the typed characters alone, no trailing fill characters.
inline std::string ZMWithoutTrailingFill(std::string raw, char fill) {
    while (!raw.empty() && raw.back() == fill) raw.pop_back();
    return raw;
}

template <class C>
class ZMDateTimeMembers : public ZMEditMembers<C> {
    using M = ZMEditMembers<C>;

public:
    using typename M::Args;
    using typename M::Table;
    using typename M::Variant;

    // A 16-bit enumeration with its accepted range and refusal text; `after` runs once stored.
    template <class After>
    static void AddEnum(Table& t, const char* name, std::int16_t C::*member, long high, int id, com::DispId notify,
                        After after) {
        t.Property(name, com::VT_VARIANT, {}, [member](C& c, Args) { return Variant::I2(c.*member); },
                   [=](C& c, Args, const Variant& v) {
                       c.*member = M::ShortOf(c, v, 0, high, id);
                       after(c);
                       M::Changed(c, notify);
                   });
    }
    // FillChar: not a digit and no character that `clashes` with a separator.
    template <class Clash>
    static void AddFillChar(Table& t, com::DispId id, Clash clashes) {
        t.Property("FillChar", com::VT_BSTR, {}, [](C& c, Args) { return M::OneChar(c.FillChar); },
                   [=](C& c, Args, const Variant& v) {
                       const std::string text = M::TextOf(v);
                       const char ch = text.empty() ? '_' : text[0];
                       if (M::IsDigit(ch)) M::Refuse(c, 204);
                       if (clashes(c, ch)) M::Refuse(c, 205);
                       c.FillChar = ch;
                       c.InvalidateField();
                       M::Changed(c, id);
                   });
    }
    static void AddFmtSeparator(Table& t, com::DispId id) {
        t.Property("FmtSeparator", com::VT_BSTR, {}, [](C& c, Args) { return M::OneChar(c.FmtSeparator); },
                   [id](C& c, Args, const Variant& v) {
                       const std::string text = M::TextOf(v);
                       const char ch = text.empty() ? '\0' : text[0];
                       if (M::IsDigit(ch)) M::Refuse(c, 203);
                       if (ch != '\0' && ch == c.FillChar) M::Refuse(c, 205);
                       c.FmtSeparator = ch;
                       c.InvalidateField();
                       M::Changed(c, id);
                   });
    }
    // DataProperty, DisplayOnly, EOLTab and ErrorBeep from `first` on.
    static void AddDataPropertyToErrorBeep(Table& t, com::DispId first) {
        M::AddDataProperty(t, 2, 138, -391867, first);
        M::AddDisplayOnly(t, -391865, first + 1);
        M::AddFlag(t, "EOLTab", &C::EOLTab, 140, -391860, first + 2);
        M::AddFlag(t, "ErrorBeep", &C::ErrorBeep, 141, -391859, first + 3);
    }
    // Justification, ReadOnly, MousePointer and MouseIcon from `first` on.
    static void AddJustificationToMouse(Table& t, com::DispId first) {
        M::AddJustification(t, -391840, first);
        M::AddReadOnly(t, first + 1);
        M::AddMousePointer(t, first + 2);
        M::AddMouseIcon(t, first + 3);
    }
};

}  // namespace zmtext
