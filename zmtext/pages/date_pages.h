// The date field's property pages:
//   - CZMDatePropPage: every property of the field (the formats, the date type and the bound
//     time shown, the rest hidden for Save As Default); DateType is written last, so the field
//     maps its limits to the new type after they were written in the old one;
//   - CZMDateValPropPage: MinValue, MaxValue and Value as month, day and year edits, each
//     change computing the day number of the page's date type into a hidden edit.
#pragma once

#include <array>

#include "zmtext/pages/date_time_page.h"

namespace zmtext {

class CZMDatePropPage : public ZMFieldPropPage {
public:
    CZMDatePropPage();

protected:
    std::string SavedText(int id, const std::string& shown) const override;
    void ResetOwnFields() override;
};

class CZMDateValPropPage : public ZMItemPage {
public:
    CZMDateValPropPage();

    // Which date: 0 Value, 1 MinValue, 2 MaxValue.
    enum Which { kValue, kMinimum, kMaximum };
    QLineEdit* Part(Which which, int part) const { return parts_[which][static_cast<std::size_t>(part)]; }   // 0 month, 1 day, 2 year
    QLineEdit* Number(Which which) const { return numbers_[which]; }
    QLineEdit* DateTypeEdit() const { return dateType_; }

protected:
    void OnLoadFields() override;

private:
    int PageDateType() const;
    void PartEdited(Which which);

    std::array<std::array<QLineEdit*, 3>, 3> parts_{};
    std::array<QLineEdit*, 3> numbers_{};
    QLineEdit* dateType_ = nullptr;
    bool showing_ = false;
};

}  // namespace zmtext
