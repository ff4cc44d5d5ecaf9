#include "zmtext/pages/item_page.h"

#include "platform/ctl/services.h"
#include "platform/ctl/text_metrics.h"
#include "platform/win/cp1252.h"
#include "zmtext/module/about.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"

namespace zmtext {

std::string ZMPageText(int id) { return ZMResources().LoadStringUtf8(id); }

void ZMFillList(QComboBox* combo, const com::TypeInfoData* enumeration, bool useNames) {
    if (!enumeration) return;
    for (const std::string& entry : com::EnumListEntries(*enumeration, useNames))
        combo->addItem(QString::fromStdString(win::Cp1252ToUtf8(entry)));
}

// --- ZMItemPage --------------------------------------------------------------------------------------

QWidget* ZMItemPage::Item(int id) const {
    const auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second;
}

QWidget* ZMItemPage::AddField(const ZMPageField& row) {
    QWidget* widget = nullptr;
    switch (row.kind) {
    case ZMPageField::Edit: {
        auto* edit = ZMMake<QLineEdit>(this);
        BindText(edit, row.property, row.type);
        if (row.limits.maxChars > 0) ValidateMaxChars(edit, row.limits.maxChars);
        if (row.limits.low <= row.limits.high) ValidateRange(edit, row.limits.low, row.limits.high);
        widget = edit;
        break;
    }
    case ZMPageField::Check: {
        auto* check = ZMMake<QCheckBox>(this, QString::fromUtf8(row.label));
        BindCheck(check, row.property);
        widget = check;
        break;
    }
    case ZMPageField::List: {
        auto* combo = ZMMake<QComboBox>(this);
        BindListIndex(combo, row.property);
        widget = combo;
        break;
    }
    }
    widget->setObjectName(QString::number(row.id));
    AddItem(row.id, widget);
    rows_.push_back(row);
    return widget;
}

void ZMItemPage::AddFields(std::span<const ZMPageField> rows, QFormLayout* form, QBoxLayout* checks,
                           bool disableHidden) {
    for (const ZMPageField& row : rows) {
        QWidget* widget = AddField(row);
        if (*row.label == '\0') {
            widget->setVisible(false);
            if (disableHidden) widget->setEnabled(false);
        }
        PlaceField(row.id, form, checks);
    }
}

void ZMItemPage::PlaceField(int id, QFormLayout* form, QBoxLayout* checks) {
    for (const ZMPageField& row : rows_) {
        if (row.id != id || *row.label == '\0') continue;
        if (row.kind == ZMPageField::Check) {
            if (checks) checks->addWidget(Item(id));
        } else if (form) {
            form->addRow(QString::fromUtf8(row.label), Item(id));
        }
        return;
    }
}

std::string ZMItemPage::FieldText(int id) const {
    if (const QLineEdit* edit = Edit(id)) return ctl::ToAnsi(edit->text());
    if (const QComboBox* list = List(id)) return std::to_string(list->currentIndex());
    if (const QCheckBox* check = Check(id)) return check->isChecked() ? "1" : "0";
    return {};
}

void ZMItemPage::SetField(int id, const std::string& value) {
    QWidget* item = Item(id);
    if (QLineEdit* edit = Edit(id)) edit->setText(QString::fromStdString(value));
    else if (QCheckBox* check = Check(id)) check->setChecked(value == "1");
    else if (QComboBox* list = List(id)) list->setCurrentIndex(ZMNumberOf<int>(value));
    SetControlStatus(item, true);
}

bool ZMItemPage::WriteDefaults(int section) const {
    CZMDefaultsStore* store = ZMDefaults();
    if (!store) return false;
    bool ok = true;
    for (const ZMPageField& row : rows_) {
        if (row.saved == ZMPageField::No) continue;
        const std::string text = SavedText(row.id, FieldText(row.id));
        switch (row.saved) {
        case ZMPageField::No: break;
        case ZMPageField::Int: ok &= store->WriteInt(section, row.key, ZMNumberOf<int>(text)); break;
        case ZMPageField::Long: ok &= store->WriteLong(section, row.key, ZMNumberOf<std::int32_t>(text)); break;
        case ZMPageField::Flag: ok &= store->WriteInt(section, row.key, text == "1" ? 1 : 0); break;
        case ZMPageField::Float: ok &= store->WriteFloat(section, row.key, ZMNumberOf<float>(text)); break;
        case ZMPageField::Double: ok &= store->WriteDouble(section, row.key, ZMNumberOf<double>(text)); break;
        case ZMPageField::String: ok &= store->WriteString(section, row.key, text); break;
        }
    }
    return ok;
}

void ZMItemPage::ResetFields() {
    for (const ZMPageField& row : rows_) {
        if (!row.reset) continue;
        const bool fontName = std::string_view(row.property) == "FontName";
        SetField(row.id, fontName ? ZMPageText(IDS_DEFAULT_FONT) : std::string(row.reset));
    }
}

// --- ZMDefaultsPage ----------------------------------------------------------------------------------

ZMDefaultsPage::ZMDefaultsPage(std::string caption, std::string helpFile, std::uint32_t helpContext, int section,
                               bool applyAtReset)
    : ZMItemPage(std::move(caption), std::move(helpFile), helpContext), section_(section), applyAtReset_(applyAtReset) {}

const std::array<QPushButton*, 3>& ZMDefaultsPage::DefaultsButtons() {
    if (buttons_[0]) return buttons_;
    const char* texts[] = {"Save As Default", "Reset Default", "About..."};
    for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i] = ZMMake<QPushButton>(this, QString::fromUtf8(texts[i]));
    connect(buttons_[0], &QPushButton::clicked, this, [this] { SaveAsDefault(); });
    connect(buttons_[1], &QPushButton::clicked, this, [this] { ResetDefault(); });
    connect(buttons_[2], &QPushButton::clicked, this,
            [this] { ZMShowAboutBox(this, static_cast<ZMControlKind>(section_)); });
    return buttons_;
}

void ZMDefaultsPage::AddDefaultsButtons(QBoxLayout* row) {
    for (QPushButton* b : DefaultsButtons()) row->addWidget(b);
}

bool ZMDefaultsPage::SaveAsDefault() {
    if (!UpdateData(true)) return false;
    if (!ZMDefaults()) return false;
    const bool ok = WriteDefaults(section_);
    SetModifiedFlag(false);
    return ok;
}

bool ZMDefaultsPage::ResetDefault() {
    CZMDefaultsStore* store = ZMDefaults();
    if (!store || !store->DeleteSection(section_)) return false;
    ResetOwnFields();
    ResetFields();
    if (applyAtReset_ && !UpdateData(true)) return false;
    SetModifiedFlag(false);
    return true;
}

}  // namespace zmtext
