// The bases of the library's property pages:
//   - ZMItemPage: a page whose fields are found by their dialog item ids;
//   - ZMDefaultsPage: a page that also keeps a field kind's defaults, with the row of buttons
//     Save As Default, Reset Default and About..., which Apply leaves alone.
#pragma once

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <map>

#include "platform/ctl/property_page.h"
#include "zmtext/module/classes.h"

namespace zmtext {

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

private:
    std::map<int, QWidget*> items_;
};

class ZMDefaultsPage : public ZMItemPage {
public:
    QPushButton* SaveDefaultButton() const { return save_; }
    QPushButton* ResetDefaultButton() const { return reset_; }

    // "Save As Default": takes the page's data (nothing more when a field is invalid) and writes
    // it into the field kind's defaults section.
    virtual bool SaveAsDefault() = 0;
    // "Reset Default": deletes the section and, only then, puts the built-in defaults into the
    // page, each marked for Apply.
    virtual bool ResetDefault() = 0;

protected:
    using ZMItemPage::ZMItemPage;
    // The three buttons at the end of `row`; About... shows the About box of control `kind`.
    void AddDefaultsButtons(QBoxLayout* row, ZMControlKind kind);

private:
    QPushButton* save_ = nullptr;
    QPushButton* reset_ = nullptr;
    QPushButton* about_ = nullptr;
};

}  // namespace zmtext
