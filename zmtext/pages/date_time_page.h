// The base of the date and time fields' main property pages: every property of the field,
// bound by name in the order Apply writes them, the enumeration lists filled from the library's
// type library ("value - help string"), and the three buttons (Save As Default, Reset Default,
// About...), which Apply leaves alone. The pages' rows say how Save As Default keeps each field
// and what Reset Default puts back.
#pragma once

#include <QFormLayout>
#include <span>
#include <string>

#include "zmtext/pages/item_page.h"

namespace zmtext {

// The three values a date or time value page edits, in the order of its rows: the label of the
// row, the property and the item id of the hidden edit that carries the property's number.
struct ZMValueRow {
    const char* label;
    const char* property;
    int hiddenId;
};
inline constexpr ZMValueRow kZMValueRows[] = {
    {"&Value:", "Value", 237}, {"M&inValue:", "MinValue", 238}, {"M&axValue:", "MaxValue", 239}};

class ZMFieldPropPage : public ZMDefaultsPage {
protected:
    ZMFieldPropPage(std::string caption, std::uint32_t helpContext, int section);

    // Adds and binds the rows in order, the visible ones in the page's form.
    void AddItems(std::span<const ZMPageField> rows) { AddFields(rows, form_, nullptr); }
    // The properties every edit field has, hidden, kept for Apply and Save As Default.
    void AddCommonItems();
    // The limits, the texts and the value, hidden: the value page edits them. The limits reset
    // to the texts given (null: the page computes them).
    void AddValueItems(const char* minimumReset, const char* maximumReset);
    // Fills list `id` from the type library's enum `enumName`.
    void FillList(int id, const char* enumName);

private:
    QFormLayout* form_ = nullptr;
};

}  // namespace zmtext
