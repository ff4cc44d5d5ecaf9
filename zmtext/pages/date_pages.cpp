// The date field's two property pages and their entries in the library's factory list.
#include "zmtext/pages/date_pages.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <charconv>

#include "zmtext/module/strings.h"
#include "zmtext/pages/page_class.h"
#include "zmtext/values/date_values.h"

namespace zmtext {
namespace {

constexpr int kDateSection = 1;

}  // namespace

// --- CZMDatePropPage ---------------------------------------------------------------------------------

CZMDatePropPage::CZMDatePropPage() : ZMFieldPropPage(ZMPageText(103), 4004, kDateSection) {
    using F = ZMPageField;
    // In the order Apply writes them: DateType last, after the limits in the old type.
    static constexpr F kItems[] = {
        {.id = 253, .label = "Fmt&Control:", .property = "FmtControl", .kind = F::List, .saved = F::Int, .key = 150, .reset = "0"},
        {.id = 250, .label = "Fmt&Day:", .property = "FmtDay", .kind = F::List, .saved = F::Int, .key = 193, .reset = "1"},
        {.id = 251, .label = "Fmt&Month:", .property = "FmtMonth", .kind = F::List, .saved = F::Int, .key = 194, .reset = "1"},
        {.id = 252, .label = "Fmt&Year:", .property = "FmtYear", .kind = F::List, .saved = F::Int, .key = 195, .reset = "2"},
        {.id = 205, .label = "Fmt&Separator:", .property = "FmtSeparator", .saved = F::String, .key = 187, .reset = "-", .limits = {.maxChars = 1}},
        {.id = 204, .label = "&FillChar:", .property = "FillChar", .saved = F::String, .key = 134, .reset = "_", .limits = {.maxChars = 1}},
    };
    static constexpr F kBinding[] = {
        {.id = 206, .label = "Bound&Time:", .property = "BoundTime", .type = com::VT_I4, .saved = F::String, .key = 254, .reset = "0", .limits = {.low = 0, .high = 86399}},
        {.id = 255, .label = "BoundTime&Mode:", .property = "BoundTimeMode", .kind = F::List, .saved = F::Int, .key = 253, .reset = "0"},
        {.id = 254, .label = "Date&Type:", .property = "DateType", .kind = F::List, .saved = F::Int, .key = 240, .reset = "1"},
    };
    AddItems(kItems);
    AddCommonItems();
    AddValueItems(nullptr, nullptr);
    AddItems(kBinding);
    const std::pair<int, const char*> lists[] = {{253, "enumFCDate"}, {250, "enumFmtDay"}, {251, "enumFmtMonth"},
                                                 {252, "enumFmtYear"}, {254, "enumDT"}, {255, "enumBM"}};
    for (const auto& [id, name] : lists) FillList(id, name);
}

// The defaults hold both limits as type-0 numbers and the bound time as a fraction of a day,
// as the field's reset reads them.
std::string CZMDatePropPage::SavedText(int id, const std::string& shown) const {
    const long n = ZMNumberOf<long>(shown);
    if (id == 238 || id == 239) {
        const int type = List(254)->currentIndex();
        const ZMDate date = ZMDayNumberToDate(type, static_cast<std::int32_t>(n));
        if (date.IsBlank()) return std::to_string(ZMDateLimits(0).blank);
        return std::to_string(ZMDateToDayNumber(0, date));
    }
    if (id == 206) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(n) / 86400.0).ptr;
        return std::string(text, end);
    }
    return shown;
}

// The limits of the date type shown before the reset puts type 1 in.
void CZMDatePropPage::ResetOwnFields() {
    const ZMDateTypeLimits& shown = ZMDateLimits(List(254)->currentIndex() == 0 ? 0 : 1);
    SetField(238, std::to_string(List(254)->currentIndex() == 0 ? shown.minimum : shown.newMinimum));
    SetField(239, std::to_string(List(254)->currentIndex() == 0 ? shown.maximum : shown.newMaximum));
}

// --- CZMDateValPropPage -------------------------------------------------------------------------------

CZMDateValPropPage::CZMDateValPropPage() : ZMItemPage(ZMPageText(238), "ZMTEXT.HLP", 4005) {
    auto* grid = ZMMake<QGridLayout>(this);
    const char* headers[] = {"Month", "Day", "Year"};
    for (int p = 0; p < 3; ++p) grid->addWidget(ZMMake<QLabel>(this, QString::fromUtf8(headers[p])), 0, p + 1);
    // Items: month, day, year of each date.
    const std::array<std::array<int, 3>, 3> ids{{{275, 230, 231}, {207, 208, 209}, {210, 211, 212}}};
    for (int w = 0; w < 3; ++w) {
        grid->addWidget(ZMMake<QLabel>(this, QString::fromUtf8(kZMValueRows[w].label)), w + 1, 0);
        for (std::size_t p = 0; p < 3; ++p) {
            auto* edit = ZMMake<QLineEdit>(this);
            edit->setObjectName(QString::number(ids[static_cast<std::size_t>(w)][p]));
            // Months 0-12 and days 0-31 (0: no date); years are not limited.
            if (p < 2) edit->setValidator(ZMMake<QIntValidator>(edit, 0, p == 0 ? 12 : 31));
            parts_[static_cast<std::size_t>(w)][p] = edit;
            grid->addWidget(edit, w + 1, static_cast<int>(p) + 1);
            const Which which = static_cast<Which>(w);
            connect(edit, &QLineEdit::textEdited, this, [this, which] { PartEdited(which); });
        }
    }
    // Bound in the order Apply writes them.
    for (const int w : {kMaximum, kMinimum, kValue}) {
        const ZMPageField number{.id = kZMValueRows[w].hiddenId, .property = kZMValueRows[w].property, .type = com::VT_I4};
        numbers_[static_cast<std::size_t>(w)] = static_cast<QLineEdit*>(AddField(number));
        numbers_[static_cast<std::size_t>(w)]->setVisible(false);
    }
    constexpr ZMPageField kDateType{.id = 277, .property = "DateType", .type = com::VT_I2};
    dateType_ = static_cast<QLineEdit*>(AddField(kDateType));
    dateType_->setVisible(false);
    IgnoreApply(dateType_);
}

int CZMDateValPropPage::PageDateType() const { return ZMNumberOf<long>(dateType_) == 0 ? 0 : 1; }

void CZMDateValPropPage::OnLoadFields() {
    showing_ = true;
    for (std::size_t w = 0; w < 3; ++w) {
        // A number outside the type's limits shows as 0, 0, 0.
        const ZMDate d = ZMDayNumberToDate(PageDateType(), static_cast<std::int32_t>(ZMNumberOf<long>(numbers_[w])));
        const int parts[] = {d.month, d.day, d.year};
        for (std::size_t p = 0; p < 3; ++p) parts_[w][p]->setText(QString::number(parts[p]));
    }
    showing_ = false;
}

void CZMDateValPropPage::PartEdited(Which which) {
    if (showing_) return;
    const auto& parts = parts_[static_cast<std::size_t>(which)];
    const std::int32_t number = ZMDateToDayNumber(PageDateType(), static_cast<int>(ZMNumberOf<long>(parts[0])),
                                                  static_cast<int>(ZMNumberOf<long>(parts[1])), static_cast<int>(ZMNumberOf<long>(parts[2])));
    QLineEdit* hidden = numbers_[static_cast<std::size_t>(which)];
    hidden->setText(QString::number(number));
    SetControlStatus(hidden, true);
    SetModifiedFlag(true);
}

namespace {

const ZMClassRegistrar kDatePageRegistrar(ZMPageFactoryOf<CZMDatePropPage>(ZMPageClassId("CZMDatePropPage")));
const ZMClassRegistrar kDateValPageRegistrar(ZMPageFactoryOf<CZMDateValPropPage>(ZMPageClassId("CZMDateValPropPage")));

}  // namespace
}  // namespace zmtext
