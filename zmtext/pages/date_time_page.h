// The base of the date and time fields' main property pages: every property of the field,
// bound by name in the order Apply writes them, the enumeration lists filled from the library's
// type library ("value - help string"), and the three buttons (Save As Default, Reset Default,
// About...), which Apply leaves alone.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <map>
#include <span>
#include <vector>
#include <string>

#include "zmtext/pages/item_page.h"

namespace zmtext {

// The number at the start of an edit's text (0 when there is none), read without the locale.
long ZMPageLongOf(const QLineEdit* edit);
// A text of the library's string table.
std::string ZMPageText(int id);

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
public:
    bool SaveAsDefault() override;
    bool ResetDefault() override;

protected:
    // How an item is kept in the defaults section.
    enum class Saved { No, Int, Long, Check, Float, String };
    struct ItemSpec {
        int id;
        const char* label;       // empty: a hidden item
        const char* property;
        enum Kind { Edit, Check, List } kind;
        com::VarType type;       // of an edit
        Saved saved;
        int key;                 // its key in the defaults section
    };

    ZMFieldPropPage(std::string caption, std::uint32_t helpContext, int section);

    // Adds and binds the items in order; a list is filled from the type library's enum `enumName`.
    void AddItems(std::span<const ItemSpec> items);
    // The properties every edit field has, hidden, kept for Apply and Save As Default.
    void AddCommonItems();
    // The limits, the texts and the value, hidden: the value page edits them.
    void AddValueItems();
    void FillList(int id, const char* enumName);
    // Sets an item as Reset Default does: the value, marked for Apply.
    void SetItem(int id, const std::string& value);
    // The numbers the page keeps in another unit in the defaults section than it shows.
    virtual std::string SavedText(int id, const std::string& shown) const { (void)id; return shown; }
    // The kind's own built-in defaults, after the ones every edit field shares.
    virtual void ResetOwnItems() = 0;

private:
    std::map<int, ItemSpec> specs_;
    std::vector<int> order_;
    QFormLayout* form_ = nullptr;
    int section_;
};

}  // namespace zmtext
