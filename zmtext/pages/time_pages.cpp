// The time field's two property pages and their entries in the library's factory list.
#include "zmtext/pages/time_pages.h"

#include <QGridLayout>
#include <QLabel>
#include <charconv>
#include <cstdio>

#include "zmtext/module/strings.h"
#include "zmtext/pages/page_class.h"
#include "zmtext/values/time_values.h"

namespace zmtext {
namespace {

constexpr int kTimeSection = 2;

// A part as the page shows it: two digits, "--" for the empty time's parts.
QString PartText(int part) {
    if (part < 0 || part > 99) return QStringLiteral("--");
    char text[8];
    std::snprintf(text, sizeof text, "%02d", part);
    return QString::fromLatin1(text);
}

}  // namespace

// --- CZMTimePropPage ---------------------------------------------------------------------------------

CZMTimePropPage::CZMTimePropPage() : ZMFieldPropPage(ZMPageText(105), 4007, kTimeSection) {
    using com::VT_BSTR;
    using com::VT_I2;
    using com::VT_I4;
    using S = Saved;
    constexpr ItemSpec::Kind E = ItemSpec::Edit, L = ItemSpec::List;
    const ItemSpec items[] = {
        {249, "Fmt&Hours:", "FmtHours", L, VT_I2, S::Int, 211},
        {247, "Fmt&Seconds:", "FmtSeconds", L, VT_I2, S::Int, 212},
        {246, "Fmt&LeadingZero:", "FmtLeadingZero", L, VT_I2, S::Int, 213},
        {205, "Fmt&Separator:", "FmtSeparator", E, VT_BSTR, S::String, 187},
        {206, "Fmt&AM:", "FmtAM", E, VT_BSTR, S::String, 217},
        {207, "Fmt&PM:", "FmtPM", E, VT_BSTR, S::String, 218},
        {204, "&FillChar:", "FillChar", E, VT_BSTR, S::String, 134},
    };
    const ItemSpec binding[] = {
        {250, "BoundDate&Mode:", "BoundDateMode", L, VT_I2, S::Int, 255},
        {208, "Bound&Date:", "BoundDate", E, VT_I4, S::Long, 256},
    };
    AddItems(items);
    AddCommonItems();
    AddValueItems();
    AddItems(binding);
    ValidateMaxChars(Edit(204), 1);
    ValidateMaxChars(Edit(205), 1);
    ValidateMaxChars(Edit(206), 6);
    ValidateMaxChars(Edit(207), 6);
    ValidateMaxChars(Edit(202), 8);
    ValidateMaxChars(Edit(203), 14);
    for (int id : {239, 238, 237}) ValidateRange(Edit(id), -1, 86399);
    ValidateRange(Edit(208), -657434, 2958465);
    const std::pair<int, const char*> lists[] = {
        {246, "enumFmtLeadingZero"}, {249, "enumFmtHours"}, {247, "enumFmtSeconds"}, {250, "enumBM"}};
    for (const auto& [id, name] : lists) FillList(id, name);
}

void CZMTimePropPage::ResetOwnItems() {
    for (const auto& [id, value] : {std::pair{238, "-1"}, {239, "86399"}, {208, "0"}, {246, "0"}, {247, "0"},
                                    {249, "0"}, {250, "0"}, {205, ":"}, {206, "AM"}, {207, "PM"}})
        SetItem(id, value);
}

// --- CZMTimeValPropPage -------------------------------------------------------------------------------

CZMTimeValPropPage::CZMTimeValPropPage() : PropertyPage(ZMPageText(238), "ZMTEXT.HLP", 4008) {
    auto* grid = new QGridLayout(this);
    const std::array<std::array<int, 4>, 3> ids{{{208, 209, 214, 250}, {210, 211, 217, 251}, {212, 213, 218, 252}}};
    for (std::size_t w = 0; w < 3; ++w) {
        const Which which = static_cast<Which>(w);
        grid->addWidget(new QLabel(QString::fromUtf8(kZMValueRows[w].label), this), static_cast<int>(w), 0);
        for (std::size_t p = 0; p < 3; ++p) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QString::number(ids[w][p]));
            edit->setMaxLength(2);
            parts_[w][p] = edit;
            grid->addWidget(edit, static_cast<int>(w), static_cast<int>(p) + 1);
            connect(edit, &QLineEdit::textEdited, this, [this, which] { PartEdited(which); });
        }
        auto* clock = new QComboBox(this);
        clock->setObjectName(QString::number(ids[w][3]));
        clock->addItems({QStringLiteral("AM"), QStringLiteral("PM"), QStringLiteral("(24 Hr)")});
        clocks_[w] = clock;
        grid->addWidget(clock, static_cast<int>(w), 4);
        connect(clock, &QComboBox::activated, this, [this, which] { PartEdited(which); });
    }
    for (const int w : {kMinimum, kMaximum, kValue}) {
        auto* number = new QLineEdit(this);
        number->setVisible(false);
        number->setObjectName(QString::number(kZMValueRows[w].hiddenId));
        number->setText(QString::number(w == kMinimum ? -1 : w == kMaximum ? 86399 : 0));
        BindText(number, kZMValueRows[w].property, com::VT_I4);
        ValidateRange(number, -1, 86399);
        numbers_[static_cast<std::size_t>(w)] = number;
    }
}

void CZMTimeValPropPage::OnLoadFields() {
    for (const Which w : {kValue, kMinimum, kMaximum}) Show(w);
}

void CZMTimeValPropPage::Show(Which which) {
    showing_ = true;
    const std::size_t w = static_cast<std::size_t>(which);
    const ZMTimeParts t = ZMSplitTime(static_cast<std::int32_t>(ZMPageLongOf(numbers_[w])));
    int hour = t.hours;
    if (clocks_[w]->currentIndex() != k24Hour) {
        clocks_[w]->setCurrentIndex(t.hours >= 0 && t.hours < 12 ? kMorning : kAfternoon);
        if (t.hours >= 0) hour = ZMTwelveHourClock(t.hours);
    }
    const int parts[] = {hour, t.minutes, t.seconds};
    for (std::size_t p = 0; p < 3; ++p) parts_[w][p]->setText(PartText(parts[p]));
    showing_ = false;
}

void CZMTimeValPropPage::PartEdited(Which which) {
    if (showing_) return;
    const std::size_t w = static_cast<std::size_t>(which);
    std::int64_t hour = ZMPageLongOf(parts_[w][0]);
    const int clock = clocks_[w]->currentIndex();
    if (clock != k24Hour) hour = ZMTwentyFourHourClock(hour, clock == kAfternoon);
    const std::int32_t value = ZMComposeTime(hour, ZMPageLongOf(parts_[w][1]), ZMPageLongOf(parts_[w][2]));
    numbers_[w]->setText(QString::number(value));
    SetControlStatus(numbers_[w], true);
    SetModifiedFlag(true);
}

namespace {

const ZMClassRegistrar kTimePageRegistrar(ZMPageFactoryOf<CZMTimePropPage>(ZMPageClassId("CZMTimePropPage")));
const ZMClassRegistrar kTimeValPageRegistrar(ZMPageFactoryOf<CZMTimeValPropPage>(ZMPageClassId("CZMTimeValPropPage")));

}  // namespace
}  // namespace zmtext
