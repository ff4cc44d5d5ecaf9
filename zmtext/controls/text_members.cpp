// The masked text field's dispatch members, in the order that numbers them, its events, and its
// entry in the library's factory list.
#include "zmtext/controls/edit_members.h"
#include "zmtext/controls/text_ctrl.h"
#include "zmtext/module/classes.h"

namespace zmtext {

// The text field's own members; the shared ones come from the edit field's builders.
class ZMTextMembers : public ZMEditMembers<CZMTextCtrl> {
public:
    using C = CZMTextCtrl;

    static void AddFirstMembers(Table& t) {
        t.Property("ValidateMask", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.ValidateMask); },
                   [](C& c, Args, const Variant& v) {
                       Variant b;
                       if (com::Failed(com::ChangeType(b, v, com::VT_BOOL))) com::ThrowError(com::CTL_E_INVALIDPROPERTYVALUE);
                       c.ValidateMask = b.AsBool();
                       c.SetModifiedFlag();
                   });
        AddDataSource(t, kTextDataSource);
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
        AddSelText(t, kTextSelText);
        AddSelLength(t, kTextSelLength);
        AddSelStart(t, kTextSelStart);
    }

    static void AddBorderAndFlags(Table& t) {
        AddFlag(t, "AutoScroll", &C::AutoScroll, 136, -391876, kTextAutoScroll);
        AddBorderEffect(t, -391874, kTextBorderEffect);
        // The text field binds its text or its raw data only.
        AddDataProperty(t, 1, 180, -391867, kTextDataProperty);
        AddDisplayOnly(t, -391865, kTextDisplayOnly);
        AddFlag(t, "EOLTab", &C::EOLTab, 140, -391860, kTextEOLTab);
        AddFlag(t, "ErrorBeep", &C::ErrorBeep, 141, -391859, kTextErrorBeep);
        t.Property("FillChar", com::VT_BSTR, {}, [](C& c, Args) { return OneChar(c.FillChar); },
                   [](C& c, Args, const Variant& v) { c.PutFillChar(TextOf(v)); });
        AddFlag(t, "FocusSelect", &C::FocusSelect, 142, -391857, kTextFocusSelect);
        AddInsert(t, -391841, kTextInsert);
        AddJustification(t, -391840, kTextJustification);
    }

    static void AddDataAndLimits(Table& t) {
        AddRawData(t, -1, kTextRawData);
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
        AddModified(t, -391835, kTextModified);
        AddFlag(t, "UseUnderline", &C::UseFillChar, 182, -391813, kTextUseUnderline, true);
        AddFlag(t, "UseFillChar", &C::UseFillChar, 182, -391813, kTextUseFillChar, true);
        t.Property("MaxLength", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.GetMaxLengthProperty()); },
                   [](C& c, Args, const Variant& v) { c.PutMaxLength(IntOf(c, v, 0, 255, 148, -391837)); });
        t.Property("PasswordChar", com::VT_BSTR, {}, [](C& c, Args) { return OneChar(c.PasswordChar); },
                   [](C& c, Args, const Variant& v) { c.PutPasswordChar(TextOf(v)); });
        AddReadOnly(t, kTextDisplayOnly);
        AddFlag(t, "HideSelection", &C::HideSelection, 184, -1, kTextHideSelection, true);
    }

    static void AddMouseAndHidden(Table& t) {
        AddMouseIcon(t, kTextMouseIcon);
        AddMousePointer(t, kTextMousePointer);
        AddHidden(t, 2);
        C::AddToolTip(t);
        AddDataField(t, kTextDataField);
        AddDataChanged(t, kTextDataChanged);
    }
};

const com::DispatchMap& CZMTextCtrl::DispatchMembers() {
    static const com::DispatchTable<CZMTextCtrl> table = [] {
        com::DispatchTable<CZMTextCtrl> t("ZMTEXT.ZMTextCtrl.1");
        ZMTextMembers::AddFirstMembers(t);
        ZMTextMembers::AddBorderAndFlags(t);
        ZMTextMembers::AddDataAndLimits(t);
        ZMTextMembers::AddMouseAndHidden(t);
        ZMTextMembers::AddTextBorderAndStock(t);
        return t;
    }();
    return table.Map();
}

std::vector<com::FuncDesc> CZMTextCtrl::EventMembers() {
    return ZMEditFieldEvents({{"Change", kTextChange}, {"EndOfLine", kTextEndOfLine},
                             {"InvalidKey", kTextInvalidKey}, {"Invalid", kTextInvalid}});
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
