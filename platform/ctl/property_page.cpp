#include "platform/ctl/property_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <charconv>

#include "platform/com/factory.h"

#include "platform/ctl/services.h"
#include "platform/ctl/text_metrics.h"

namespace ctl {

namespace {

std::string Number(long n) {
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, n).ptr;
    return std::string(buf, end);
}

// The platform's texts for a field that fails its validation.
std::string TooLongMessage(int maxChars) {
    return "Please enter no more than " + Number(maxChars) + " characters.";
}
std::string RangeMessage(long lo, long hi) {
    return "Please enter an integer between " + Number(lo) + " and " + Number(hi) + ".";
}

}  // namespace

PropertyPage::PropertyPage(std::string captionUtf8, std::string helpFile, std::uint32_t helpContext,
                           QWidget* parent)
    : QWidget(parent), caption_(std::move(captionUtf8)), helpFile_(std::move(helpFile)),
      helpContext_(helpContext) {
    setWindowTitle(QString::fromStdString(caption_));
}

PropertyPage::~PropertyPage() = default;

void PropertyPage::SetObjects(std::vector<com::ComPtr<com::IDispatch>> objects) {
    objects_ = std::move(objects);
    Load();
    OnObjectsChanged();
}

PropertyPage::Field& PropertyPage::Add(QWidget* widget, std::string property, Kind kind, com::VarType type) {
    Field f;
    f.widget = widget;
    f.property = std::move(property);
    f.kind = kind;
    f.type = type;
    fields_.push_back(std::move(f));
    return fields_.back();
}

void PropertyPage::BindText(QLineEdit* edit, std::string property, com::VarType type) {
    Add(edit, std::move(property), Kind::Text, type);
    connect(edit, &QLineEdit::textEdited, this, [this, edit] { Edited(edit); });
}

void PropertyPage::BindCheck(QCheckBox* check, std::string property) {
    Add(check, std::move(property), Kind::Check, com::VT_BOOL);
    connect(check, &QCheckBox::toggled, this, [this, check] { Edited(check); });
}

void PropertyPage::BindListIndex(QComboBox* combo, std::string property) {
    Add(combo, std::move(property), Kind::ListIndex, com::VT_I2);
    connect(combo, &QComboBox::currentIndexChanged, this, [this, combo] { Edited(combo); });
}

void PropertyPage::ValidateMaxChars(QLineEdit* edit, int maxChars) {
    if (Field* f = FieldOf(edit)) f->maxChars = maxChars;
}

void PropertyPage::ValidateRange(QLineEdit* edit, long minimum, long maximum) {
    if (Field* f = FieldOf(edit)) f->range = std::make_pair(minimum, maximum);
}

void PropertyPage::IgnoreApply(QWidget* field) {
    if (Field* f = FieldOf(field)) f->ignoreApply = true;
}

void PropertyPage::SetControlStatus(QWidget* field, bool changed) {
    if (Field* f = FieldOf(field)) f->changed = changed;
}

bool PropertyPage::ControlStatus(QWidget* field) const {
    const Field* f = FieldOf(field);
    return f && f->changed;
}

PropertyPage::Field* PropertyPage::FieldOf(QWidget* widget) {
    for (Field& f : fields_)
        if (f.widget == widget) return &f;
    return nullptr;
}

const PropertyPage::Field* PropertyPage::FieldOf(QWidget* widget) const {
    for (const Field& f : fields_)
        if (f.widget == widget) return &f;
    return nullptr;
}

void PropertyPage::SetModifiedFlag(bool modified) {
    if (modified_ == modified) return;
    modified_ = modified;
    if (onModified_) onModified_(modified);
}

void PropertyPage::Edited(QWidget* widget) {
    if (loading_) return;
    Field* f = FieldOf(widget);
    if (!f || f->ignoreApply) return;
    f->changed = true;
    SetModifiedFlag(true);
}

void PropertyPage::Show(const Field& f, const com::Variant& v) {
    com::Variant c;
    switch (f.kind) {
    case Kind::Text:
        if (com::Succeeded(com::ChangeType(c, v, com::VT_BSTR)))
            static_cast<QLineEdit*>(f.widget)->setText(FromAnsi(c.AsStr().ToAnsi()));
        break;
    case Kind::Check:
        if (com::Succeeded(com::ChangeType(c, v, com::VT_BOOL)))
            static_cast<QCheckBox*>(f.widget)->setChecked(c.AsBool());
        break;
    case Kind::ListIndex:
        if (com::Succeeded(com::ChangeType(c, v, com::VT_I4)))
            static_cast<QComboBox*>(f.widget)->setCurrentIndex(c.AsI4());
        break;
    }
}

void PropertyPage::Load() {
    loading_ = true;
    if (!objects_.empty())
        for (Field& f : fields_) {
            com::Variant v;
            if (ReadFrom(objects_.front().Get(), f.property, v)) Show(f, v);
            f.changed = false;
        }
    if (!objects_.empty()) OnLoadFields();
    loading_ = false;
    SetModifiedFlag(false);
}

com::Variant PropertyPage::ValueOf(const Field& f) const {
    switch (f.kind) {
    case Kind::Check: return com::Variant::Bool(static_cast<QCheckBox*>(f.widget)->isChecked());
    case Kind::ListIndex:
        return com::Variant::I2(static_cast<std::int16_t>(static_cast<QComboBox*>(f.widget)->currentIndex()));
    case Kind::Text: break;
    }
    const std::string ansi = ToAnsi(static_cast<QLineEdit*>(f.widget)->text());
    return com::Variant::Str(com::Bstr::FromAnsi(ansi));
}

bool PropertyPage::ReadFrom(com::IDispatch* object, const std::string& name, com::Variant& out) {
    com::DispId id = 0;
    if (!object || com::Failed(object->GetIDsOfNames(name, &id))) return false;
    com::DispParams none;
    return com::Succeeded(object->Invoke(id, com::DISPATCH_PROPERTYGET, none, &out, nullptr, nullptr));
}

void PropertyPage::ShowError(QWidget* field, const std::string& message) {
    Notices().ShowMessage(this, message);
    if (!field) return;
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
}

bool PropertyPage::WriteToAll(const std::string& name, const com::Variant& value, QWidget* field, bool byRef) {
    for (const auto& object : objects_) {
        com::DispId id = 0;
        if (com::Failed(object->GetIDsOfNames(name, &id))) continue;   // not every object has it
        com::DispParams params{{value}};
        com::ExcepInfo info;
        const std::uint16_t how = byRef ? com::DISPATCH_PROPERTYPUTREF : com::DISPATCH_PROPERTYPUT;
        const com::HResult hr = object->Invoke(id, how, params, nullptr, &info, nullptr);
        if (com::Failed(hr)) {
            ShowError(field, hr == com::DISP_E_EXCEPTION ? info.description : com::RuntimeText(hr));
            return false;
        }
    }
    return true;
}

bool PropertyPage::Validate(const Field& f) {
    if (f.kind != Kind::Text) return true;
    const QString text = static_cast<QLineEdit*>(f.widget)->text();
    if (f.maxChars && text.size() > *f.maxChars) {
        ShowError(f.widget, TooLongMessage(*f.maxChars));
        return false;
    }
    if (f.range) {
        const std::string digits = text.trimmed().toStdString();
        long n = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || n < f.range->first ||
            n > f.range->second) {
            ShowError(f.widget, RangeMessage(f.range->first, f.range->second));
            return false;
        }
    }
    return true;
}

bool PropertyPage::Write(Field& f) {
    com::Variant value = ValueOf(f);
    if (f.kind == Kind::Text && f.type != com::VT_BSTR) {
        com::Variant converted;
        if (com::Succeeded(com::ChangeType(converted, value, f.type))) value = std::move(converted);
    }
    if (!WriteToAll(f.property, value, f.widget)) return false;
    f.changed = false;
    return true;
}

bool PropertyPage::UpdateData(bool saveAndValidate) {
    if (!saveAndValidate) {
        Load();
        return true;
    }
    for (const Field& f : fields_)
        if (!Validate(f)) return false;
    if (!OnValidateFields()) return false;
    for (Field& f : fields_)
        if (f.changed && !Write(f)) return false;
    if (!OnApplyFields()) return false;
    SetModifiedFlag(false);
    return true;
}

void PropertyPage::OnHelp() { Notices().ShowHelp(helpFile_, helpContext_); }

std::unique_ptr<PropertyPage> CreatePropertyPage(const com::Guid& clsid, com::HResult* hr) {
    com::ComPtr<IPropertyPageClass> cls;
    const com::HResult status = com::CreateInstance(clsid, &cls);
    if (hr) *hr = status;
    if (com::Failed(status) || !cls) return nullptr;
    return cls->CreatePage();
}

}  // namespace ctl
