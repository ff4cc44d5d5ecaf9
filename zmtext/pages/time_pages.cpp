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
    using F = ZMPageField;
    static constexpr F kItems[] = {
        {.id = 249, .label = "Fmt&Hours:", .property = "FmtHours", .kind = F::List, .saved = F::Int, .key = 211, .reset = "0"},
        {.id = 247, .label = "Fmt&Seconds:", .property = "FmtSeconds", .kind = F::List, .saved = F::Int, .key = 212, .reset = "0"},
        {.id = 246, .label = "Fmt&LeadingZero:", .property = "FmtLeadingZero", .kind = F::List, .saved = F::Int, .key = 213, .reset = "0"},
        {.id = 205, .label = "Fmt&Separator:", .property = "FmtSeparator", .saved = F::String, .key = 187, .reset = ":", .limits = {.maxChars = 1}},
        {.id = 206, .label = "Fmt&AM:", .property = "FmtAM", .saved = F::String, .key = 217, .reset = "AM", .limits = {.maxChars = 6}},
        {.id = 207, .label = "Fmt&PM:", .property = "FmtPM", .saved = F::String, .key = 218, .reset = "PM", .limits = {.maxChars = 6}},
        {.id = 204, .label = "&FillChar:", .property = "FillChar", .saved = F::String, .key = 134, .reset = "_", .limits = {.maxChars = 1}},
    };
    static constexpr F kBinding[] = {
        {.id = 250, .label = "BoundDate&Mode:", .property = "BoundDateMode", .kind = F::List, .saved = F::Int, .key = 255, .reset = "0"},
        {.id = 208, .label = "Bound&Date:", .property = "BoundDate", .type = com::VT_I4, .saved = F::Long, .key = 256, .reset = "0", .limits = {.low = -657434, .high = 2958465}},
    };
    AddItems(kItems);
    AddCommonItems();
    AddValueItems("-1", "86399");
    AddItems(kBinding);
    ValidateMaxChars(Edit(203), 14);
    for (int id : {239, 238, 237}) ValidateRange(Edit(id), -1, 86399);
    const std::pair<int, const char*> lists[] = {
        {246, "enumFmtLeadingZero"}, {249, "enumFmtHours"}, {247, "enumFmtSeconds"}, {250, "enumBM"}};
    for (const auto& [id, name] : lists) FillList(id, name);
}

// --- CZMTimeValPropPage -------------------------------------------------------------------------------

CZMTimeValPropPage::CZMTimeValPropPage() : ZMItemPage(ZMPageText(238), "ZMTEXT.HLP", 4008) {
    auto* grid = ZMMake<QGridLayout>(this);
    const std::array<std::array<int, 4>, 3> ids{{{208, 209, 214, 250}, {210, 211, 217, 251}, {212, 213, 218, 252}}};
    for (std::size_t w = 0; w < 3; ++w) {
        const Which which = static_cast<Which>(w);
        grid->addWidget(ZMMake<QLabel>(this, QString::fromUtf8(kZMValueRows[w].label)), static_cast<int>(w), 0);
        for (std::size_t p = 0; p < 3; ++p) {
            auto* edit = ZMMake<QLineEdit>(this);
            edit->setObjectName(QString::number(ids[w][p]));
            edit->setMaxLength(2);
            parts_[w][p] = edit;
            grid->addWidget(edit, static_cast<int>(w), static_cast<int>(p) + 1);
            connect(edit, &QLineEdit::textEdited, this, [this, which] { PartEdited(which); });
        }
        auto* clock = ZMMake<QComboBox>(this);
        clock->setObjectName(QString::number(ids[w][3]));
        clock->addItems({QStringLiteral("AM"), QStringLiteral("PM"), QStringLiteral("(24 Hr)")});
        clocks_[w] = clock;
        grid->addWidget(clock, static_cast<int>(w), 4);
        connect(clock, &QComboBox::activated, this, [this, which] { PartEdited(which); });
    }
    for (const int w : {kMinimum, kMaximum, kValue}) {
        const ZMPageField row{.id = kZMValueRows[w].hiddenId, .property = kZMValueRows[w].property,
                              .type = com::VT_I4, .limits = {.low = -1, .high = 86399}};
        auto* number = static_cast<QLineEdit*>(AddField(row));
        number->setVisible(false);
        number->setText(QString::number(w == kMinimum ? -1 : w == kMaximum ? 86399 : 0));
        numbers_[static_cast<std::size_t>(w)] = number;
    }
}

void CZMTimeValPropPage::OnLoadFields() {
    for (const Which w : {kValue, kMinimum, kMaximum}) Show(w);
}

void CZMTimeValPropPage::Show(Which which) {
    showing_ = true;
    const std::size_t w = static_cast<std::size_t>(which);
    const ZMTimeParts t = ZMSplitTime(static_cast<std::int32_t>(ZMNumberOf<long>(numbers_[w])));
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
    std::int64_t hour = ZMNumberOf<long>(parts_[w][0]);
    const int clock = clocks_[w]->currentIndex();
    if (clock != k24Hour) hour = ZMTwentyFourHourClock(hour, clock == kAfternoon);
    const std::int32_t value = ZMComposeTime(hour, ZMNumberOf<long>(parts_[w][1]), ZMNumberOf<long>(parts_[w][2]));
    numbers_[w]->setText(QString::number(value));
    SetControlStatus(numbers_[w], true);
    SetModifiedFlag(true);
}

namespace {

const ZMClassRegistrar kTimePageRegistrar(ZMPageFactoryOf<CZMTimePropPage>(ZMPageClassId("CZMTimePropPage")));
const ZMClassRegistrar kTimeValPageRegistrar(ZMPageFactoryOf<CZMTimeValPropPage>(ZMPageClassId("CZMTimeValPropPage")));

}  // namespace
}  // namespace zmtext
