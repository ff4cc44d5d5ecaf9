// The time field's dispatch members, in the order that numbers them, its events, and its entry
// in the library's factory list.
#include <QWidget>

#include "zmtext/controls/time_ctrl.h"
#include "zmtext/module/classes.h"

namespace zmtext {

class ZMTimeMembers : public ZMDateTimeMembers<CZMTimeCtrl> {
public:
    using C = CZMTimeCtrl;

    // A format property: rebuild both texts and redraw.
    static void Reformat(C& c) {
        c.RebuildTexts();
        c.InvalidateField();
    }
    static void AddLimit(Table& t, const char* name, std::int32_t C::*member, int id, com::DispId notify) {
        t.Property(name, com::VT_I4, {}, [member](C& c, Args) { return Variant::I4(c.*member); },
                   [=](C& c, Args, const Variant& v) {
                       c.*member = static_cast<std::int32_t>(IntOf(c, v, kTimeEmpty, kTimeMaximum, id));
                       Changed(c, notify);
                   });
    }
    static void AddSuffix(Table& t, const char* name, std::string C::*member, com::DispId notify) {
        t.Property(name, com::VT_BSTR, {}, [member](C& c, Args) { return Str(c.*member); },
                   [=](C& c, Args, const Variant& v) {
                       c.*member = TextOf(v);
                       c.InvalidateField();
                       Changed(c, notify);
                   });
    }

    static void AddFirstMembers(Table& t) {
        AddDataSource(t, kTimeDataSource);
        C::AddFontName(t);
        C::AddFontBold(t);
        C::AddFontItalic(t);
        C::AddFontStrikeThru(t);
        C::AddFontUnderline(t);
        AddFlag(t, "AutoScroll", &C::AutoScroll, 136, -391876, kTimeAutoScroll);
        AddModified(t, -391835, kTimeModified);
        AddSelection(t, kTimeSelLength);
        AddLimit(t, "MaxValue", &C::MaxValue, 208, kTimeMaxValue);
        AddLimit(t, "MinValue", &C::MinValue, 209, kTimeMinValue);
        t.Property("Value", com::VT_I4, {},
                   [](C& c, Args) {
                       if (c.WindowHasFocus()) c.ParseText();
                       return Variant::I4(c.value_);
                   },
                   [](C& c, Args, const Variant& v) {
                       c.PutValue(static_cast<std::int32_t>(IntOf(c, v, kTimeEmpty, kTimeMaximum, 210)));
                   });
        AddBorderEffect(t, -391874, kTimeBorderEffect);
        AddDataPropertyToErrorBeep(t, kTimeDataProperty);
        AddFillChar(t, kTimeFillChar, [](const C& c, char ch) { return ch == c.FmtSeparator; });
        AddFlag(t, "FocusSelect", &C::FocusSelect, 142, -391857, kTimeFocusSelect);
        AddInsert(t, -391841, kTimeInsert);
    }

    static void AddFormats(Table& t) {
        AddRawData(t, -1, kTimeRawData);
        t.Property("FmtControl", com::VT_I2, {},
                   [](C& c, Args) {
                       RunModeOnly(c);
                       return Variant::I2(static_cast<std::int16_t>(
                           ZMPackTimeFmtControl({c.FmtSeconds, c.FmtHours, c.FmtLeadingZero})));
                   },
                   [](C& c, Args, const Variant& v) {
                       const ZMTimeFmtFlags f = ZMUnpackTimeFmtControl(static_cast<int>(IntOf(c, v, 0, 7, 207)));
                       c.FmtSeconds = static_cast<std::int16_t>(f.fmtSeconds);
                       c.FmtHours = static_cast<std::int16_t>(f.fmtHours);
                       c.FmtLeadingZero = static_cast<std::int16_t>(f.fmtLeadingZero);
                       Reformat(c);
                       Changed(c, kTimeFmtControl);
                   });
        C::AddFontSize(t);
        AddJustificationToMouse(t, kTimeJustification);
        AddFmtSeparator(t, kTimeFmtSeparator);
        AddEnum(t, "FmtLeadingZero", &C::FmtLeadingZero, 2, 216, kTimeFmtLeadingZero, Reformat);
        AddEnum(t, "FmtSeconds", &C::FmtSeconds, 1, 215, kTimeFmtSeconds, Reformat);
        AddEnum(t, "FmtHours", &C::FmtHours, 2, 214, kTimeFmtHours, Reformat);
        AddSuffix(t, "FmtAM", &C::FmtAM, kTimeFmtAM);
        AddSuffix(t, "FmtPM", &C::FmtPM, kTimeFmtPM);
        AddHidden(t, 3);
    }

    static void AddBinding(Table& t) {
        C::AddToolTip(t);
        AddDataField(t, kTimeDataField);
        AddDataChanged(t, kTimeDataChanged);
        AddEnum(t, "BoundDateMode", &C::BoundDateMode, 1, 252, kTimeBoundDateMode, [](C&) {});
        t.Property("BoundDate", com::VT_I4, {},
                   [](C& c, Args) { return Variant::I4(static_cast<std::int32_t>(c.BoundDate)); },
                   [](C& c, Args, const Variant& v) {
                       c.BoundDate = static_cast<double>(IntOf(c, v, -657434, 2958465, 252));
                       Changed(c, kTimeBoundDate);
                   });
    }
};

const com::DispatchMap& CZMTimeCtrl::DispatchMembers() {
    static const com::DispatchTable<CZMTimeCtrl> table = [] {
        com::DispatchTable<CZMTimeCtrl> t("ZMTEXT.ZMTimeCtrl.1");
        ZMTimeMembers::AddFirstMembers(t);
        ZMTimeMembers::AddFormats(t);
        ZMTimeMembers::AddBinding(t);
        ZMTimeMembers::AddTextBorderAndStock(t);
        return t;
    }();
    return table.Map();
}

std::vector<com::FuncDesc> CZMTimeCtrl::EventMembers() {
    return ZMEditFieldEvents({{"EndOfLine", kTimeEndOfLine}, {"InvalidKey", kTimeInvalidKey},
                             {"Change", kTimeChange}, {"Invalid", kTimeInvalid}, {"OutOfRange", kTimeOutOfRange}});
}

namespace {

const ZMClassRegistrar kTimeRegistrar(ZMControlFactory{
    ZMControlKind::Time,
    com::CreatorOf<CZMTimeCtrl>(),
    ZMDescribeMembers(CZMTimeCtrl::DispatchMembers()), CZMTimeCtrl::EventMembers()});

}  // namespace
}  // namespace zmtext
