// CZMLabelPropPage: the label's "General" property page (dialog 113).
//
// Its fields are bound by property name to every selected label; each widget carries its dialog
// item id as its object name. The seven lists are filled, on the first load, from the
// enumerations of the library's own type library ("<value> - <member name>"). Colours are edited
// as signed decimal numbers. Apply checks every field (colours, font size) before it writes any.
//
// Buttons (none counts as an edit): 220 "Save As Default" applies the page and then writes its
// values into the label's section of the defaults file; 221 "Reset Default" removes that section
// and, when that worked, puts the built-in defaults into the page, marked to be written by the
// next Apply; 222 "About..." shows the library's about text.
#pragma once

#include "zmtext/pages/item_page.h"

namespace zmtext {

// Dialog item ids of the page.
enum ZMLabelPageItem : int {
    kItemBorderStyle = 204,
    kItemBorderEffect = 205,
    kItemMousePointer = 214,
    kItemEnabled = 217,
    kItemChiselColor = 218,
    kItemSaveDefault = 220,
    kItemResetDefault = 221,
    kItemAbout = 222,
    kItemAlignment = 254,
    kItemBackgroundStyle = 255,
    kItemCaption = 256,
    kItemChiselText = 258,
    kItemLabelStyle = 259,
    kItemWordWrap = 260,
    kItemBackColor = 261,
    kItemForeColor = 262,
    kItemFontName = 266,
    kItemFontSize = 267,
    kItemFontBold = 268,
    kItemFontItalic = 269,
    kItemFontUnderline = 270,
    kItemFontStrikethru = 272,
    kItemHdnHeight = 273,
    kItemHdnWidth = 274,
};

inline constexpr std::uint32_t kLabelPageHelpContext = 4002;

class CZMLabelPropPage final : public ZMDefaultsPage {
public:
    CZMLabelPropPage();

    QComboBox* Combo(int id) const { return List(id); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(Item(id)); }

    bool SaveAsDefault() override;

protected:
    void OnLoadFields() override;
    bool OnValidateFields() override;

private:
    void Place(QWidget* field, const char* caption);
    void FillLists();

    bool listsFilled_ = false;
};

}  // namespace zmtext
