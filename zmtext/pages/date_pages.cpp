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
    using com::VT_BSTR;
    using com::VT_I2;
    using com::VT_I4;
    using S = Saved;
    constexpr ItemSpec::Kind E = ItemSpec::Edit, L = ItemSpec::List;
    // In the order Apply writes them: DateType last, after the limits in the old type.
    const ItemSpec items[] = {
        {253, "Fmt&Control:", "FmtControl", L, VT_I2, S::Int, 150},
        {250, "Fmt&Day:", "FmtDay", L, VT_I2, S::Int, 193},
        {251, "Fmt&Month:", "FmtMonth", L, VT_I2, S::Int, 194},
        {252, "Fmt&Year:", "FmtYear", L, VT_I2, S::Int, 195},
        {205, "Fmt&Separator:", "FmtSeparator", E, VT_BSTR, S::String, 187},
        {204, "&FillChar:", "FillChar", E, VT_BSTR, S::String, 134},
    };
    const ItemSpec binding[] = {
        {206, "Bound&Time:", "BoundTime", E, VT_I4, S::String, 254},
        {255, "BoundTime&Mode:", "BoundTimeMode", L, VT_I2, S::Int, 253},
        {254, "Date&Type:", "DateType", L, VT_I2, S::Int, 240},
    };
    AddItems(items);
    AddCommonItems();
    AddValueItems();
    AddItems(binding);
    ValidateMaxChars(Edit(204), 1);
    ValidateMaxChars(Edit(205), 1);
    ValidateMaxChars(Edit(202), 8);
    ValidateRange(Edit(206), 0, 86399);
    const std::pair<int, const char*> lists[] = {{253, "enumFCDate"}, {250, "enumFmtDay"}, {251, "enumFmtMonth"},
                                                 {252, "enumFmtYear"}, {254, "enumDT"}, {255, "enumBM"}};
    for (const auto& [id, name] : lists) FillList(id, name);
}

// The defaults hold both limits as type-0 numbers and the bound time as a fraction of a day,
// as the field's reset reads them.
std::string CZMDatePropPage::SavedText(int id, const std::string& shown) const {
    long n = 0;
    std::from_chars(shown.data(), shown.data() + shown.size(), n);
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

void CZMDatePropPage::ResetOwnItems() {
    const ZMDateTypeLimits& shown = ZMDateLimits(List(254)->currentIndex() == 0 ? 0 : 1);
    SetItem(238, std::to_string(List(254)->currentIndex() == 0 ? shown.minimum : shown.newMinimum));
    SetItem(239, std::to_string(List(254)->currentIndex() == 0 ? shown.maximum : shown.newMaximum));
    SetItem(206, "0");
    SetItem(205, "-");
    for (const auto& [id, value] : {std::pair{253, "0"}, {250, "1"}, {251, "1"}, {252, "2"}, {254, "1"}, {255, "0"}})
        SetItem(id, value);
}

// --- CZMDateValPropPage -------------------------------------------------------------------------------

CZMDateValPropPage::CZMDateValPropPage() : PropertyPage(ZMPageText(238), "ZMTEXT.HLP", 4005) {
    auto* grid = new QGridLayout(this);
    const char* headers[] = {"Month", "Day", "Year"};
    for (int p = 0; p < 3; ++p) grid->addWidget(new QLabel(QString::fromUtf8(headers[p]), this), 0, p + 1);
    // Items: month, day, year of each date.
    const std::array<std::array<int, 3>, 3> ids{{{275, 230, 231}, {207, 208, 209}, {210, 211, 212}}};
    for (int w = 0; w < 3; ++w) {
        grid->addWidget(new QLabel(QString::fromUtf8(kZMValueRows[w].label), this), w + 1, 0);
        for (std::size_t p = 0; p < 3; ++p) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QString::number(ids[static_cast<std::size_t>(w)][p]));
            // Months 0-12 and days 0-31 (0: no date); years are not limited.
            if (p < 2) edit->setValidator(new QIntValidator(0, p == 0 ? 12 : 31, edit));
            parts_[static_cast<std::size_t>(w)][p] = edit;
            grid->addWidget(edit, w + 1, static_cast<int>(p) + 1);
            const Which which = static_cast<Which>(w);
            connect(edit, &QLineEdit::textEdited, this, [this, which] { PartEdited(which); });
        }
    }
    // Bound in the order Apply writes them.
    for (const int w : {kMaximum, kMinimum, kValue}) {
        auto* number = new QLineEdit(this);
        number->setVisible(false);
        number->setObjectName(QString::number(kZMValueRows[w].hiddenId));
        BindText(number, kZMValueRows[w].property, com::VT_I4);
        numbers_[static_cast<std::size_t>(w)] = number;
    }
    dateType_ = new QLineEdit(this);
    dateType_->setVisible(false);
    dateType_->setObjectName("277");
    BindText(dateType_, "DateType", com::VT_I2);
    IgnoreApply(dateType_);
}

int CZMDateValPropPage::PageDateType() const { return ZMPageLongOf(dateType_) == 0 ? 0 : 1; }

void CZMDateValPropPage::OnLoadFields() {
    showing_ = true;
    for (std::size_t w = 0; w < 3; ++w) {
        // A number outside the type's limits shows as 0, 0, 0.
        const ZMDate d = ZMDayNumberToDate(PageDateType(), static_cast<std::int32_t>(ZMPageLongOf(numbers_[w])));
        const int parts[] = {d.month, d.day, d.year};
        for (std::size_t p = 0; p < 3; ++p) parts_[w][p]->setText(QString::number(parts[p]));
    }
    showing_ = false;
}

void CZMDateValPropPage::PartEdited(Which which) {
    if (showing_) return;
    const auto& parts = parts_[static_cast<std::size_t>(which)];
    const std::int32_t number = ZMDateToDayNumber(PageDateType(), static_cast<int>(ZMPageLongOf(parts[0])),
                                                  static_cast<int>(ZMPageLongOf(parts[1])), static_cast<int>(ZMPageLongOf(parts[2])));
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
