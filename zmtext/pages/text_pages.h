// The text field's property pages. Each binds its fields to properties by name, so a page works
// for every selected control that has those properties:
//   - CZMText2PropPage: mask, character table, fill and password characters, maximum length,
//     and the buttons that save the page's values as the text kind's defaults or reset them;
//     hidden fields carry the other properties the defaults take.
//   - CZMTextCharPropPage: the Characters flags as check boxes beside the number.
//   - CZMTextPropPage: the properties every edit control shares; its lists come from the
//     library's own type library ("value - help string").
#pragma once

#include <array>

#include "zmtext/pages/item_page.h"

namespace zmtext {

class CZMText2PropPage : public ZMDefaultsPage {
public:
    CZMText2PropPage();
};

class CZMTextCharPropPage : public ZMItemPage {
public:
    CZMTextCharPropPage();

    // Boxes 227 (any character) and 228-233 (flags 1, 2, 4, 8, 16, 32); edit 234.
    QCheckBox* Box(int id) const { return boxes_[static_cast<std::size_t>(id - 227)]; }
    QLineEdit* Value() const { return value_; }
    // What a click on box `id` does: the new value, shown and marked for Apply.
    void BoxClicked(int id);

protected:
    void OnLoadFields() override { ShowBoxes(); }

private:
    long CurrentValue() const;
    void SetValue(long v);
    void ShowBoxes();

    std::array<QCheckBox*, 7> boxes_{};
    QLineEdit* value_ = nullptr;
    bool updating_ = false;
};

class CZMTextPropPage : public ZMItemPage {
public:
    CZMTextPropPage();

    // Lists 204 BorderStyle, 205 BorderEffect, 206 DataProperty, 207 Justification,
    // 214 MousePointer; edits 202 RawData, 203 Text, 208 ToolTip, 276 HdnDataPropCount;
    // checks 209-213, 217.

protected:
    void OnObjectsChanged() override;

private:
    void FillLists();
};

}  // namespace zmtext
