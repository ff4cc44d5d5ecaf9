// The date field's dispatch members, in the order that numbers them, its events, and its entry
// in the library's factory list.
#include <QWidget>

#include "zmtext/controls/date_ctrl.h"
#include "zmtext/module/classes.h"

namespace zmtext {

class ZMDateMembers : public ZMDateTimeMembers<CZMDateCtrl> {
public:
    using C = CZMDateCtrl;
    // A format property: rebuild both texts and redraw.
    static void Reformat(C& c) {
        c.RebuildTexts();
        c.InvalidateField();
    }
    static std::int32_t NumberOf(const C& c, const Variant& v, int id) {
        Variant n;
        if (com::Failed(com::ChangeType(n, v, com::VT_I4))) Refuse(c, id);
        const std::int32_t number = n.AsI4();
        if (number != ZMDateLimits(c.DateType).blank && !ZMIsDayNumberInRange(c.DateType, number)) Refuse(c, id);
        return number;
    }
    static void AddLimit(Table& t, const char* name, ZMDate C::*member, int id, com::DispId notify) {
        t.Property(name, com::VT_I4, {}, [member](C& c, Args) { return Variant::I4(c.NumberOf(c.*member)); },
                   [=](C& c, Args, const Variant& v) {
                       c.*member = ZMDayNumberToDate(c.DateType, NumberOf(c, v, id));
                       Changed(c, notify);
                   });
    }

    static void AddFirstMembers(Table& t) {
        AddDataSource(t, kDateDataSource);
        C::AddFontName(t);
        C::AddFontBold(t);
        C::AddFontItalic(t);
        C::AddFontUnderline(t);
        AddFlag(t, "AutoScroll", &C::AutoScroll, 136, -391876, kDateAutoScroll);
        AddModified(t, -391835, kDateModified);
        AddSelection(t, kDateSelLength);
        AddFmtSeparator(t, kDateFmtSeparator);
        AddBorderEffect(t, -391874, kDateBorderEffect);
        AddDataPropertyToErrorBeep(t, kDateDataProperty);
        AddFillChar(t, kDateFillChar,
                    [](const C& c, char ch) { return ch == c.FmtSeparator || ch == c.Format().separator; });
        AddFlag(t, "FocusSelect", &C::FocusSelect, 142, -391857, kDateFocusSelect);
        AddInsert(t, -391841, kDateInsert);
    }

    static void AddFormats(Table& t) {
        AddRawData(t, -1, kDateRawData);
        AddEnum(t, "FmtControl", &C::FmtControl, 3, 206, kDateFmtControl, Reformat);
        C::AddFontSize(t);
        AddJustificationToMouse(t, kDateJustification);
        AddEnum(t, "FmtDay", &C::FmtDay, 2, 200, kDateFmtDay, Reformat);
        AddEnum(t, "FmtMonth", &C::FmtMonth, 4, 201, kDateFmtMonth, Reformat);
        AddEnum(t, "FmtYear", &C::FmtYear, 2, 202, kDateFmtYear, Reformat);
        C::AddFontStrikeThru(t);
        AddHidden(t, 3);
    }

    static void AddValues(Table& t) {
        AddLimit(t, "MaxValue", &C::max_, 196, kDateMaxValue);
        AddLimit(t, "MinValue", &C::min_, 197, kDateMinValue);
        t.Property("Value", com::VT_I4, {},
                   [](C& c, Args) {
                       if (c.WindowHasFocus()) c.ParseText();
                       return Variant::I4(c.GetValue());
                   },
                   [](C& c, Args, const Variant& v) { c.PutValue(NumberOf(c, v, 198)); });
        t.Property("DateType", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.DateType); },
                   [](C& c, Args, const Variant& v) { c.PutDateType(static_cast<int>(IntOf(c, v, 0, 1, 241))); });
        C::AddToolTip(t);
        AddDataField(t, kDateDataField);
        AddDataChanged(t, kDateDataChanged);
        AddEnum(t, "BoundTimeMode", &C::BoundTimeMode, 1, 251, kDateBoundTimeMode, [](C&) {});
        t.Property("BoundTime", com::VT_I4, {}, [](C& c, Args) { return Variant::I4(c.GetBoundTimeSeconds()); },
                   [](C& c, Args, const Variant& v) {
                       c.BoundTime = static_cast<double>(IntOf(c, v, 0, 86399, 251)) / 86400.0;
                       c.ADBHelper::SetDataChanged(true);
                       Changed(c, kDateBoundTime);
                   });
    }
};

const com::DispatchMap& CZMDateCtrl::DispatchMembers() {
    static const com::DispatchTable<CZMDateCtrl> table = [] {
        com::DispatchTable<CZMDateCtrl> t("ZMTEXT.ZMDateCtrl.1");
        ZMDateMembers::AddFirstMembers(t);
        ZMDateMembers::AddFormats(t);
        ZMDateMembers::AddValues(t);
        ZMDateMembers::AddTextBorderAndStock(t);
        return t;
    }();
    return table.Map();
}

std::vector<com::FuncDesc> CZMDateCtrl::EventMembers() {
    return ZMEditFieldEvents({{"Change", kDateChange}, {"EndOfLine", kDateEndOfLine},
                             {"InvalidKey", kDateInvalidKey}, {"Invalid", kDateInvalid},
                             {"OutOfRange", kDateOutOfRange}});
}

namespace {

const ZMClassRegistrar kDateRegistrar(ZMControlFactory{
    ZMControlKind::Date,
    com::CreatorOf<CZMDateCtrl>(),
    ZMDescribeMembers(CZMDateCtrl::DispatchMembers()), CZMDateCtrl::EventMembers()});

}  // namespace
}  // namespace zmtext
