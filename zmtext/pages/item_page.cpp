#include "zmtext/pages/item_page.h"

#include "platform/ctl/services.h"
#include "zmtext/module/about.h"
#include "zmtext/module/app.h"
#include "zmtext/module/strings.h"

namespace zmtext {

QWidget* ZMItemPage::Item(int id) const {
    const auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second;
}

void ZMDefaultsPage::AddDefaultsButtons(QBoxLayout* row, ZMControlKind kind) {
    save_ = new QPushButton(QString::fromUtf8("Save As Default"), this);
    reset_ = new QPushButton(QString::fromUtf8("Reset Default"), this);
    about_ = new QPushButton(QString::fromUtf8("About..."), this);
    for (QPushButton* b : {save_, reset_, about_}) row->addWidget(b);
    connect(save_, &QPushButton::clicked, this, [this] { SaveAsDefault(); });
    connect(reset_, &QPushButton::clicked, this, [this] { ResetDefault(); });
    connect(about_, &QPushButton::clicked, this, [this, kind] { ZMShowAboutBox(this, kind); });
}

}  // namespace zmtext
