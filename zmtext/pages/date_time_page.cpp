#include "zmtext/pages/date_time_page.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <charconv>
#include <cstdio>

#include "platform/ctl/services.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"
#include "zmtext/module/zmtextlib.h"

namespace zmtext {
namespace {

std::string AnsiOf(const QLineEdit* edit) {
    const QByteArray bytes = edit->text().toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

template <class T>
T NumberOf(const std::string& text) {
    T value{};
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

long ZMPageLongOf(const QLineEdit* edit) { return NumberOf<long>(edit->text().trimmed().toStdString()); }
std::string ZMPageText(int id) { return ZMResources().LoadStringUtf8(id); }

ZMFieldPropPage::ZMFieldPropPage(std::string caption, std::uint32_t helpContext, int section)
    : ZMDefaultsPage(std::move(caption), "ZMTEXT.HLP", helpContext), section_(section) {
    auto* top = new QVBoxLayout(this);
    form_ = new QFormLayout;
    top->addLayout(form_);
    auto* buttons = new QHBoxLayout;
    top->addLayout(buttons);
    AddDefaultsButtons(buttons, static_cast<ZMControlKind>(section));
}

void ZMFieldPropPage::AddItems(std::span<const ItemSpec> items) {
    for (const ItemSpec& spec : items) {
        QWidget* widget = nullptr;
        const bool visible = *spec.label != '\0';
        switch (spec.kind) {
        case ItemSpec::Edit: {
            auto* edit = new QLineEdit(this);
            BindText(edit, spec.property, spec.type);
            widget = edit;
            break;
        }
        case ItemSpec::Check: {
            auto* check = new QCheckBox(this);
            BindCheck(check, spec.property);
            widget = check;
            break;
        }
        case ItemSpec::List: {
            auto* combo = new QComboBox(this);
            BindListIndex(combo, spec.property);
            widget = combo;
            break;
        }
        }
        widget->setObjectName(QString::number(spec.id));
        if (visible) form_->addRow(QString::fromUtf8(spec.label), widget);
        else widget->setVisible(false);
        AddItem(spec.id, widget);
        specs_[spec.id] = spec;
        order_.push_back(spec.id);
    }
}

void ZMFieldPropPage::AddCommonItems() {
    using com::VT_BSTR;
    using com::VT_I2;
    using com::VT_I4;
    using S = Saved;
    constexpr ItemSpec::Kind E = ItemSpec::Edit, C = ItemSpec::Check;
    static constexpr ItemSpec kCommon[] = {
        {215, "", "BackColor", E, VT_I4, S::Long, 116},       {216, "", "ForeColor", E, VT_I4, S::Long, 117},
        {233, "", "BorderEffect", E, VT_I2, S::Int, 119},     {232, "", "BorderStyle", E, VT_I2, S::Int, 120},
        {234, "", "DataProperty", E, VT_I2, S::Int, 121},     {248, "", "Enabled", C, VT_I2, S::No, 0},
        {244, "", "EOLTab", C, VT_I2, S::Check, 123},         {245, "", "ErrorBeep", C, VT_I2, S::Check, 124},
        {240, "", "FocusSelect", C, VT_I2, S::Check, 125},    {241, "", "Insert", C, VT_I2, S::Check, 126},
        {235, "", "Justification", E, VT_I2, S::Int, 127},    {236, "", "MousePointer", E, VT_I2, S::Int, 221},
        {242, "", "ReadOnly", C, VT_I2, S::Check, 122},       {268, "", "FontBold", C, VT_I2, S::Check, 231},
        {269, "", "FontItalic", C, VT_I2, S::Check, 232},     {266, "", "FontName", E, VT_BSTR, S::String, 229},
        {267, "", "FontSize", E, com::VT_R4, S::Float, 230},  {272, "", "FontStrikethru", C, VT_I2, S::Check, 234},
        {270, "", "FontUnderline", C, VT_I2, S::Check, 233},  {274, "", "HdnWidth", E, VT_I4, S::Int, 236},
        {273, "", "HdnHeight", E, VT_I4, S::Int, 235},        {275, "", "ToolTip", E, VT_BSTR, S::No, 0},
    };
    AddItems(kCommon);
    // The sizes are read-only properties, kept for Save As Default alone.
    IgnoreApply(Edit(274));
    IgnoreApply(Edit(273));
}

void ZMFieldPropPage::AddValueItems() {
    constexpr ItemSpec::Kind E = ItemSpec::Edit;
    const ItemSpec values[] = {
        {239, "", "MaxValue", E, com::VT_I4, Saved::Long, 157},
        {238, "", "MinValue", E, com::VT_I4, Saved::Long, 158},
        {202, "", "RawData", E, com::VT_BSTR, Saved::No, 0},
        {203, "", "Text", E, com::VT_BSTR, Saved::No, 0},
        {237, "", "Value", E, com::VT_I4, Saved::No, 0},
    };
    AddItems(values);
}

void ZMFieldPropPage::FillList(int id, const char* enumName) {
    QComboBox* combo = List(id);
    combo->clear();
    const com::TypeInfoData* type = ZMTextLib().Find(enumName);
    if (!type) return;
    for (const com::VarDesc& member : type->vars) {
        char entry[300];
        std::snprintf(entry, sizeof entry, "%ld - %s", static_cast<long>(member.value.AsI4()), member.helpString.c_str());
        combo->addItem(QString::fromUtf8(entry));
    }
}

bool ZMFieldPropPage::SaveAsDefault() {
    if (!UpdateData(true)) return false;
    CZMDefaultsStore* store = ZMDefaults();
    if (!store) return false;
    bool ok = true;
    for (const int id : order_) {
        const ItemSpec& spec = specs_.at(id);
        std::string shown;
        if (QLineEdit* edit = Edit(id)) shown = AnsiOf(edit);
        else if (QComboBox* list = List(id)) shown = std::to_string(list->currentIndex());
        const std::string text = SavedText(id, shown);
        switch (spec.saved) {
        case Saved::No: break;
        case Saved::Int: ok &= store->WriteInt(section_, spec.key, NumberOf<int>(text)); break;
        case Saved::Long: ok &= store->WriteLong(section_, spec.key, NumberOf<std::int32_t>(text)); break;
        case Saved::Check: ok &= store->WriteInt(section_, spec.key, Check(id)->isChecked() ? 1 : 0); break;
        case Saved::Float: ok &= store->WriteFloat(section_, spec.key, NumberOf<float>(text)); break;
        case Saved::String: ok &= store->WriteString(section_, spec.key, text); break;
        }
    }
    SetModifiedFlag(false);
    return ok;
}

void ZMFieldPropPage::SetItem(int id, const std::string& value) {
    QWidget* item = Item(id);
    if (QLineEdit* edit = Edit(id)) edit->setText(QString::fromLatin1(value.c_str()));
    else if (QCheckBox* check = Check(id)) check->setChecked(value == "1");
    else if (QComboBox* list = List(id)) list->setCurrentIndex(NumberOf<int>(value));
    SetControlStatus(item, true);
}

bool ZMFieldPropPage::ResetDefault() {
    CZMDefaultsStore* store = ZMDefaults();
    if (!store || !store->DeleteSection(section_)) return false;
    SetItem(215, std::to_string(static_cast<std::int32_t>(0x80000005u)));
    SetItem(216, std::to_string(static_cast<std::int32_t>(0x80000008u)));
    for (const auto& [id, value] : {std::pair{232, "1"}, std::pair{233, "0"}, std::pair{234, "2"},
                                    std::pair{235, "1"}, std::pair{236, "3"}, std::pair{204, "_"},
                                    std::pair{267, "8"}})
        SetItem(id, value);
    SetItem(266, ZMResources().LoadStringUtf8(IDS_DEFAULT_FONT));
    for (int id : {242, 244, 245, 240, 268, 269, 270, 272}) SetItem(id, "0");
    SetItem(241, "1");
    ResetOwnItems();
    SetModifiedFlag(false);
    return true;
}

}  // namespace zmtext
