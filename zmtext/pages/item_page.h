// The bases of the library's property pages:
//   - ZMPageField: one row of a page's table of fields, the one way every page describes a field
//     (its dialog item id, caption, property, how it is edited, kept in the defaults section and
//     reset, and its limits);
//   - ZMItemPage: a page whose fields are made from those rows and found by their item ids, with
//     the readers of their values;
//   - ZMDefaultsPage: a page that also keeps a field kind's defaults, with the buttons Save As
//     Default, Reset Default and About..., which Apply leaves alone.
//
// Ownership: every widget, layout and validator of a page is made by ZMMake and owned by its Qt
// parent from then on (the page, the layout that holds it, or the widget it serves).
#pragma once

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <charconv>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/com/typelib.h"
#include "platform/ctl/property_page.h"
#include "zmtext/module/classes.h"

namespace zmtext {

// Makes a `T` and hands it to `parent`: a widget or another object becomes its child, a layout
// becomes the layout of a widget or a part of a box layout.
template <class T, class Parent, class... Args>
T* ZMMake(Parent* parent, Args&&... args) {
    auto made = std::make_unique<T>(std::forward<Args>(args)...);
    if constexpr (std::is_base_of_v<QLayout, T> && std::is_base_of_v<QWidget, Parent>) parent->setLayout(made.get());
    else if constexpr (std::is_base_of_v<QLayout, T>) parent->addLayout(made.get());
    else if constexpr (std::is_base_of_v<QWidget, T>) made->setParent(static_cast<QWidget*>(parent));
    else made->setParent(parent);
    return made.release();
}

// The number at the start of `text` (leading and trailing blanks ignored), read without the
// locale; 0 when there is none.
template <class T>
T ZMNumberOf(std::string_view text) {
    while (!text.empty() && std::string_view(" \t\n\r\v\f").find(text.front()) != std::string_view::npos)
        text.remove_prefix(1);
    T value{};
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}
template <class T>
T ZMNumberOf(const QLineEdit* edit) { return ZMNumberOf<T>(edit->text().toStdString()); }

// A text of the library's string table.
std::string ZMPageText(int id);

// Fills `combo` with the members of `enumeration` as "value - name" (or "value - help string").
void ZMFillList(QComboBox* combo, const com::TypeInfoData* enumeration, bool useNames);

// One field of a page.
struct ZMPageField {
    enum Kind { Edit, Check, List };
    // How "Save As Default" writes the field (No: not written).
    enum Saved { No, Int, Long, Flag, Float, Double, String };
    struct Limits {
        int maxChars = 0;        // 0: no limit
        long low = 1, high = 0;  // an integer range when low <= high
    };

    int id = 0;                        // the dialog item id
    const char* label = "";            // the caption (a check box's text); empty: a hidden carrier
    const char* property = "";
    Kind kind = Edit;
    com::VarType type = com::VT_BSTR;  // how an edit's text is written to the property
    Saved saved = No;
    int key = 0;                       // the key in the defaults section
    const char* reset = nullptr;       // what "Reset Default" shows (null: left alone)
    Limits limits{};
};

// A hidden check box kept in the defaults as 1 or 0.
constexpr ZMPageField ZMFlagField(int id, const char* property, int key, const char* reset) {
    return {.id = id, .property = property, .kind = ZMPageField::Check, .saved = ZMPageField::Flag, .key = key, .reset = reset};
}

// The hidden carriers every edit field's defaults page has at the same item id and key.
inline constexpr ZMPageField kZMBackColorField{.id = 215, .property = "BackColor", .type = com::VT_I4,
                                               .saved = ZMPageField::Long, .key = 116, .reset = "-2147483643"};
inline constexpr ZMPageField kZMForeColorField{.id = 216, .property = "ForeColor", .type = com::VT_I4,
                                               .saved = ZMPageField::Long, .key = 117, .reset = "-2147483640"};
inline constexpr ZMPageField kZMBorderEffectField{.id = 233, .property = "BorderEffect", .type = com::VT_I2,
                                                  .saved = ZMPageField::Int, .key = 119, .reset = "0"};
inline constexpr ZMPageField kZMBorderStyleField{.id = 232, .property = "BorderStyle", .type = com::VT_I2,
                                                 .saved = ZMPageField::Int, .key = 120, .reset = "1"};
inline constexpr ZMPageField kZMFontBoldField = ZMFlagField(268, "FontBold", 231, "0");
inline constexpr ZMPageField kZMFontItalicField = ZMFlagField(269, "FontItalic", 232, "0");
inline constexpr ZMPageField kZMFontUnderlineField = ZMFlagField(270, "FontUnderline", 233, "0");
inline constexpr ZMPageField kZMFontStrikethruField = ZMFlagField(272, "FontStrikethru", 234, "0");
// Its reset is the library's default font.
inline constexpr ZMPageField kZMFontNameField{.id = 266, .property = "FontName", .saved = ZMPageField::String,
                                              .key = 229, .reset = ""};
inline constexpr ZMPageField kZMFontSizeField{.id = 267, .property = "FontSize", .type = com::VT_R4,
                                              .saved = ZMPageField::Float, .key = 230, .reset = "8"};
inline constexpr ZMPageField kZMToolTipField{.id = 275, .property = "ToolTip"};

// The carriers whose item id differs from page to page.
constexpr ZMPageField ZMEolTabField(int id) { return ZMFlagField(id, "EOLTab", 123, "0"); }
constexpr ZMPageField ZMErrorBeepField(int id) { return ZMFlagField(id, "ErrorBeep", 124, "0"); }
constexpr ZMPageField ZMFocusSelectField(int id) { return ZMFlagField(id, "FocusSelect", 125, "0"); }
constexpr ZMPageField ZMInsertField(int id) { return ZMFlagField(id, "Insert", 126, "1"); }
constexpr ZMPageField ZMReadOnlyField(int id) { return ZMFlagField(id, "ReadOnly", 122, "0"); }
constexpr ZMPageField ZMMousePointerField(int id) {
    return {.id = id, .property = "MousePointer", .type = com::VT_I2, .saved = ZMPageField::Int, .key = 221, .reset = "3"};
}

class ZMItemPage : public ctl::PropertyPage {
public:
    // The field of a dialog item id, or null.
    QWidget* Item(int id) const;
    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(Item(id)); }
    QCheckBox* Check(int id) const { return qobject_cast<QCheckBox*>(Item(id)); }
    QComboBox* List(int id) const { return qobject_cast<QComboBox*>(Item(id)); }

protected:
    using ctl::PropertyPage::PropertyPage;
    void AddItem(int id, QWidget* widget) { items_[id] = widget; }

    // Makes the field of `row`, bound to its property with its limits and named by its id; the
    // caller places it.
    QWidget* AddField(const ZMPageField& row);
    // Adds the fields of `rows` in order (the order Apply writes them) and places them with
    // PlaceField; a hidden carrier is hidden, and disabled too when `disableHidden`. Null layouts
    // leave the placing to the caller.
    void AddFields(std::span<const ZMPageField> rows, QFormLayout* form, QBoxLayout* checks, bool disableHidden = false);
    // Places the visible field `id`: an edit or a list into `form` after its caption, a check
    // box into `checks`.
    void PlaceField(int id, QFormLayout* form, QBoxLayout* checks);

    // The value of field `id` as a text: an edit's text in the code page, a list's index, a
    // check box's 1 or 0.
    std::string FieldText(int id) const;
    // Sets field `id` as code does (an edit's UTF-8 text, a list's index, a check box's "1"),
    // marked for Apply.
    void SetField(int id, const std::string& value);
    // Writes every field of a row with a Saved form into `section` of the defaults; false when
    // any write failed.
    bool WriteDefaults(int section) const;
    // Puts every row's reset value into its field, marked for Apply; a font name resets to the
    // library's default font.
    void ResetFields();
    // The text `shown` of field `id` as the defaults section keeps it (some pages keep a number
    // in another unit than they show).
    virtual std::string SavedText(int id, const std::string& shown) const { (void)id; return shown; }

private:
    std::map<int, QWidget*> items_;
    std::vector<ZMPageField> rows_;
};

class ZMDefaultsPage : public ZMItemPage {
public:
    QPushButton* SaveDefaultButton() const { return buttons_[0]; }
    QPushButton* ResetDefaultButton() const { return buttons_[1]; }

    // "Save As Default": takes the page's data (nothing more when a field is invalid) and writes
    // it into the field kind's defaults section.
    virtual bool SaveAsDefault();
    // "Reset Default": deletes the section and, only then, puts the built-in defaults into the
    // page, each marked for Apply (and applies them at once where the kind does so).
    virtual bool ResetDefault();

protected:
    // `section` is the defaults section of the field kind, whose About box About... shows.
    ZMDefaultsPage(std::string caption, std::string helpFile, std::uint32_t helpContext, int section,
                   bool applyAtReset = false);
    // The three buttons, made and connected; the page places them.
    const std::array<QPushButton*, 3>& DefaultsButtons();
    // The three buttons at the end of `row`.
    void AddDefaultsButtons(QBoxLayout* row);
    // The built-in defaults a page computes, put in before the rows' own reset values.
    virtual void ResetOwnFields() {}

    int Section() const { return section_; }

private:
    int section_;
    bool applyAtReset_;
    std::array<QPushButton*, 3> buttons_{};
};

}  // namespace zmtext
