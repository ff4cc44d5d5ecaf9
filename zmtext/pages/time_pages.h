// The time field's property pages:
//   - CZMTimePropPage: every property of the field (the formats, suffixes and the bound date
//     shown, the rest hidden for Save As Default);
//   - CZMTimeValPropPage: MinValue, MaxValue and Value as hour, minute and second edits with an
//     "AM" / "PM" / "(24 Hr)" list each, every change computing the seconds into a hidden edit.
#pragma once

#include <array>

#include "zmtext/pages/date_time_page.h"

namespace zmtext {

class CZMTimePropPage : public ZMFieldPropPage {
public:
    CZMTimePropPage();

};

class CZMTimeValPropPage : public ZMItemPage {
public:
    CZMTimeValPropPage();

    enum Which { kValue, kMinimum, kMaximum };
    enum Clock { kMorning, kAfternoon, k24Hour };   // the list's items in order
    QLineEdit* Part(Which which, int part) const { return parts_[which][static_cast<std::size_t>(part)]; }   // 0 hour, 1 minute, 2 second
    QComboBox* ClockList(Which which) const { return clocks_[which]; }
    QLineEdit* Number(Which which) const { return numbers_[which]; }

protected:
    void OnLoadFields() override;

private:
    void Show(Which which);
    void PartEdited(Which which);

    std::array<std::array<QLineEdit*, 3>, 3> parts_{};
    std::array<QComboBox*, 3> clocks_{};
    std::array<QLineEdit*, 3> numbers_{};
    bool showing_ = false;
};

}  // namespace zmtext
