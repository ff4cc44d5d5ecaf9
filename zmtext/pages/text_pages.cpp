// The text field's three property pages and their entries in the library's factory list.
#include "zmtext/pages/text_pages.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <charconv>
#include <cstdio>

#include "platform/ctl/services.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"
#include "zmtext/module/zmtextlib.h"
#include "zmtext/pages/page_class.h"

namespace zmtext {
namespace {

constexpr int kTextSection = 0;   // the defaults section of the text kind

QString Utf8(const char* text) { return QString::fromUtf8(text); }
std::string PageText(int id) { return ZMResources().LoadStringUtf8(id); }

long LongOf(const QLineEdit* edit) {
    const std::string text = edit->text().trimmed().toStdString();
    long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

float FloatOf(const QLineEdit* edit) {
    const std::string text = edit->text().trimmed().toStdString();
    float value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::string AnsiOf(const QLineEdit* edit) {
    const QByteArray bytes = edit->text().toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Items of the Text2 page's defaults: each field's key in the defaults section.
struct DefaultsField {
    int item;
    int key;
    enum Kind { Long, Int, Check, Float, String } kind;
};
constexpr DefaultsField kSavedFields[] = {
    {215, 116, DefaultsField::Long},  {216, 117, DefaultsField::Long},   {232, 120, DefaultsField::Int},
    {233, 119, DefaultsField::Int},   {234, 121, DefaultsField::Int},    {235, 127, DefaultsField::Int},
    {236, 221, DefaultsField::Int},   {208, 118, DefaultsField::Check},  {237, 122, DefaultsField::Check},
    {238, 123, DefaultsField::Check}, {239, 124, DefaultsField::Check},  {240, 125, DefaultsField::Check},
    {241, 126, DefaultsField::Check}, {266, 229, DefaultsField::String}, {267, 230, DefaultsField::Float},
    {268, 231, DefaultsField::Check}, {269, 232, DefaultsField::Check},  {270, 233, DefaultsField::Check},
    {272, 234, DefaultsField::Check}, {222, 131, DefaultsField::Int},    {223, 132, DefaultsField::Check},
    {224, 133, DefaultsField::Check}, {220, 134, DefaultsField::String}, {221, 135, DefaultsField::String},
    {219, 130, DefaultsField::String}, {217, 128, DefaultsField::Int},   {273, 235, DefaultsField::Int},
    {274, 236, DefaultsField::Int},
};

}  // namespace

// --- CZMText2PropPage ------------------------------------------------------------------------------

CZMText2PropPage::CZMText2PropPage() : ZMDefaultsPage(PageText(16), "ZMTEXT.HLP", 4009) {
    auto* form = new QFormLayout;
    auto* checks = new QHBoxLayout;
    auto* buttons = new QHBoxLayout;
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(checks);
    top->addLayout(buttons);
    using com::VT_BSTR;
    using com::VT_I2;
    using com::VT_I4;
    // Bound in the order the page exchanges them.
    AddEdit(220, "&FillChar:", "FillChar", VT_BSTR, true);
    AddEdit(219, "&Mask:", "Mask", VT_BSTR, true);
    AddEdit(222, "Max&Length:", "MaxLength", VT_I2, true);
    AddEdit(221, "&PasswordChar:", "PasswordChar", VT_BSTR, true);
    AddCheck(223, "&UseFillChar", "UseFillChar", true);
    AddCheck(224, "&ValidateMask", "ValidateMask", true);
    AddEdit(215, "", "BackColor", VT_I4, false);
    AddEdit(216, "", "ForeColor", VT_I4, false);
    AddEdit(233, "", "BorderEffect", VT_I2, false);
    AddEdit(232, "", "BorderStyle", VT_I2, false);
    AddEdit(234, "", "DataProperty", VT_I2, false);
    AddCheck(242, "", "Enabled", false);
    AddCheck(238, "", "EOLTab", false);
    AddCheck(239, "", "ErrorBeep", false);
    AddCheck(240, "", "FocusSelect", false);
    AddCheck(241, "", "Insert", false);
    AddEdit(235, "", "Justification", VT_I2, false);
    AddEdit(236, "", "MousePointer", VT_I2, false);
    AddEdit(231, "", "RawData", VT_BSTR, false);
    AddCheck(237, "", "ReadOnly", false);
    AddEdit(225, "", "Text", VT_BSTR, false);
    AddEdit(217, "", "Characters", VT_I2, false);
    AddCheck(218, "&HideSelection", "HideSelection", true);
    AddEdit(227, "&CharacterTable:", "CharacterTable", VT_BSTR, true);
    AddCheck(268, "", "FontBold", false);
    AddCheck(269, "", "FontItalic", false);
    AddEdit(266, "", "FontName", VT_BSTR, false);
    AddEdit(267, "", "FontSize", com::VT_R4, false);
    AddCheck(272, "", "FontStrikethru", false);
    AddCheck(270, "", "FontUnderline", false);
    AddEdit(273, "", "HdnHeight", VT_I2, false);
    AddEdit(274, "", "HdnWidth", VT_I2, false);
    AddCheck(208, "&AutoScroll", "AutoScroll", true);
    AddEdit(275, "", "ToolTip", VT_BSTR, false);
    ValidateMaxChars(Edit(220), 1);
    ValidateMaxChars(Edit(219), 255);
    ValidateRange(Edit(222), 0, 255);

    for (int id : {219, 227, 220, 221, 222}) form->addRow(QString::fromUtf8(labels_[id]), Item(id));
    for (int id : {223, 224, 218, 208}) checks->addWidget(Item(id));
    AddDefaultsButtons(buttons, ZMControlKind::Text);
}

QLineEdit* CZMText2PropPage::AddEdit(int id, const char* label, const char* property, com::VarType type, bool visible) {
    auto* edit = new QLineEdit(this);
    labels_[id] = label;
    edit->setVisible(visible);
    edit->setObjectName(QString::number(id));
    BindText(edit, property, type);
    AddItem(id, edit);
    return edit;
}

QCheckBox* CZMText2PropPage::AddCheck(int id, const char* label, const char* property, bool visible) {
    auto* check = new QCheckBox(Utf8(label), this);
    check->setVisible(visible);
    check->setObjectName(QString::number(id));
    BindCheck(check, property);
    AddItem(id, check);
    return check;
}

bool CZMText2PropPage::SaveAsDefault() {
    if (!UpdateData(true)) return false;
    CZMDefaultsStore* store = ZMDefaults();
    if (!store) return false;
    bool ok = true;
    for (const DefaultsField& f : kSavedFields) {
        switch (f.kind) {
        case DefaultsField::Long: ok &= store->WriteLong(kTextSection, f.key, static_cast<std::int32_t>(LongOf(Edit(f.item)))); break;
        case DefaultsField::Int: ok &= store->WriteInt(kTextSection, f.key, static_cast<int>(LongOf(Edit(f.item)))); break;
        case DefaultsField::Check: ok &= store->WriteInt(kTextSection, f.key, Check(f.item)->isChecked() ? 1 : 0); break;
        case DefaultsField::Float: ok &= store->WriteFloat(kTextSection, f.key, FloatOf(Edit(f.item))); break;
        case DefaultsField::String: ok &= store->WriteString(kTextSection, f.key, AnsiOf(Edit(f.item))); break;
        }
    }
    SetModifiedFlag(false);
    return ok;
}

void CZMText2PropPage::SetEdit(int id, const std::string& text) {
    Edit(id)->setText(QString::fromStdString(text));
    SetControlStatus(Edit(id), true);
}

void CZMText2PropPage::SetCheck(int id, bool on) {
    Check(id)->setChecked(on);
    SetControlStatus(Check(id), true);
}

bool CZMText2PropPage::ResetDefault() {
    CZMDefaultsStore* store = ZMDefaults();
    if (!store || !store->DeleteSection(kTextSection)) return false;
    SetEdit(215, std::to_string(static_cast<std::int32_t>(0x80000005u)));
    SetEdit(216, std::to_string(static_cast<std::int32_t>(0x80000008u)));
    for (const auto& [id, value] : {std::pair{232, "1"}, std::pair{233, "0"}, std::pair{234, "0"},
                                    std::pair{235, "0"}, std::pair{236, "3"}, std::pair{222, "0"},
                                    std::pair{220, "_"}, std::pair{221, ""}, std::pair{219, ""},
                                    std::pair{227, ""}, std::pair{217, "-1"}, std::pair{267, "8"}})
        SetEdit(id, value);
    SetEdit(266, PageText(IDS_DEFAULT_FONT));
    for (int id : {237, 238, 239, 240, 268, 269, 270, 272}) SetCheck(id, false);
    for (int id : {208, 241, 223, 224, 218}) SetCheck(id, true);
    SetModifiedFlag(false);
    return true;
}

// --- CZMTextCharPropPage ---------------------------------------------------------------------------

namespace {
constexpr int kBoxFlags[] = {-1, 1, 2, 4, 8, 16, 32};   // boxes 227-233
constexpr const char* kBoxTexts[] = {
    "-1 - &Any Character", "1 - Allow &Spaces", "2 - &Numeric 0-9", "4 - &Upper Case A-Z",
    "8 - &Lower Case a-z", "16 - &Capitalize First Character of Words",
    "32 - Allow 'Character &Table' Characters"};
constexpr long kAllButCapitalise = 47;
}  // namespace

CZMTextCharPropPage::CZMTextCharPropPage() : PropertyPage(PageText(18), "ZMTEXT.HLP", 4010) {
    auto* top = new QVBoxLayout(this);
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i] = new QCheckBox(Utf8(kBoxTexts[i]), this);
        top->addWidget(boxes_[i]);
        const int id = 227 + static_cast<int>(i);
        connect(boxes_[i], &QCheckBox::clicked, this, [this, id] { BoxClicked(id); });
    }
    auto* form = new QFormLayout;
    value_ = new QLineEdit(this);
    form->addRow(Utf8("C&haracters:"), value_);
    top->addLayout(form);
    BindText(value_, "Characters", com::VT_I2);
    ValidateRange(value_, -1, 63);
    connect(value_, &QLineEdit::textEdited, this, [this] { ShowBoxes(); });
}

long CZMTextCharPropPage::CurrentValue() const { return LongOf(value_); }

void CZMTextCharPropPage::SetValue(long v) {
    value_->setText(QString::number(v));
    SetControlStatus(value_, true);
    SetModifiedFlag(true);
    ShowBoxes();
}

void CZMTextCharPropPage::BoxClicked(int id) {
    const bool checked = Box(id)->isChecked();
    const bool any = CurrentValue() == -1;
    const long flag = kBoxFlags[id - 227];
    long v = CurrentValue();
    if (id == 227) v = checked ? -1 : kAllButCapitalise;
    else if (id == 232) v = !checked ? (v & ~16L) : (any ? 63 : (v | 16));
    else v = checked ? (any ? v : (v | flag)) : (any ? (kAllButCapitalise & ~flag) : (v & ~flag));
    SetValue(v);
}

void CZMTextCharPropPage::ShowBoxes() {
    const long v = CurrentValue();
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        const long flag = kBoxFlags[i];
        const bool on = v == -1 ? (flag == -1 || (flag != 16)) : (flag != -1 && (v & flag) != 0);
        boxes_[i]->setChecked(on);
    }
}

// --- CZMTextPropPage -------------------------------------------------------------------------------

CZMTextPropPage::CZMTextPropPage() : ZMItemPage(PageText(101), "ZMTEXT.HLP", 4002) {
    auto* form = new QFormLayout;
    auto* checks = new QHBoxLayout;
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(checks);
    auto list = [&](int id, const char* label) {
        auto* combo = new QComboBox(this);
        AddItem(id, combo);
        form->addRow(Utf8(label), combo);
        return combo;
    };
    auto edit = [&](int id, const char* label) {
        auto* e = new QLineEdit(this);
        AddItem(id, e);
        if (*label) form->addRow(Utf8(label), e);
        else e->setVisible(false);
        return e;
    };
    auto check = [&](int id, const char* label) {
        auto* c = new QCheckBox(Utf8(label), this);
        AddItem(id, c);
        checks->addWidget(c);
        return c;
    };
    edit(203, "Te&xt:");
    edit(202, "&RawData:");
    edit(208, "Too&lTip:");
    list(204, "Border&Style:");
    list(205, "Border&Effect:");
    list(206, "&DataProperty:");
    list(207, "&Justification:");
    list(214, "&MousePointer:");
    const std::pair<int, const char*> boxes[] = {{209, "Read&Only"}, {210, "EOL&Tab"},  {211, "Error&Beep"},
                                                 {212, "&FocusSelect"}, {213, "&Insert"}, {217, "E&nabled"}};
    for (const auto& [id, label] : boxes) check(id, label);
    edit(276, "");
    // The lists are filled before the first exchange, so loading can pick their entries.
    FillLists();
    BindListIndex(List(205), "BorderEffect");
    BindListIndex(List(204), "BorderStyle");
    BindListIndex(List(206), "DataProperty");
    const std::pair<int, const char*> flags[] = {{210, "EOLTab"}, {211, "ErrorBeep"}, {212, "FocusSelect"}, {213, "Insert"}};
    for (const auto& [id, name] : flags) BindCheck(qobject_cast<QCheckBox*>(Item(id)), name);
    BindListIndex(List(207), "Justification");
    BindText(qobject_cast<QLineEdit*>(Item(202)), "RawData");
    BindCheck(qobject_cast<QCheckBox*>(Item(209)), "ReadOnly");
    BindCheck(qobject_cast<QCheckBox*>(Item(217)), "Enabled");
    BindListIndex(List(214), "MousePointer");
    BindText(qobject_cast<QLineEdit*>(Item(203)), "Text");
    BindText(qobject_cast<QLineEdit*>(Item(276)), "HdnDataPropCount", com::VT_I2);
    BindText(qobject_cast<QLineEdit*>(Item(208)), "ToolTip");
}

void CZMTextPropPage::FillLists() {
    const std::pair<const char*, int> lists[] = {{"enumBS", 204}, {"enumBE", 205}, {"enumDPV", 206},
                                                 {"enumJU", 207}, {"enumMP", 214}};
    for (const auto& [name, id] : lists) {
        QComboBox* combo = List(id);
        combo->clear();
        const com::TypeInfoData* type = ZMTextLib().Find(name);
        if (!type) continue;
        for (const com::VarDesc& member : type->vars) {
            char entry[300];
            std::snprintf(entry, sizeof entry, "%ld - %s", static_cast<long>(member.value.AsI4()),
                          member.helpString.c_str());
            combo->addItem(QString::fromUtf8(entry));
        }
    }
}

void CZMTextPropPage::OnObjectsChanged() {
    // A control that binds only Text and RawData says so with a count of 2.
    com::Variant count;
    if (Objects().empty() || !ReadFrom(Objects().front().Get(), "HdnDataPropCount", count)) return;
    com::Variant n;
    if (com::Succeeded(com::ChangeType(n, count, com::VT_I4)) && n.AsI4() == 2 && List(206)->count() == 3) {
        const bool wasLoading = signalsBlocked();
        List(206)->blockSignals(true);
        List(206)->removeItem(2);
        List(206)->blockSignals(wasLoading);
    }
}

namespace {

const ZMClassRegistrar kTextPageRegistrar(ZMPageFactoryOf<CZMTextPropPage>(ZMPageClasses()[0].clsid));
const ZMClassRegistrar kText2PageRegistrar(ZMPageFactoryOf<CZMText2PropPage>(ZMPageClasses()[1].clsid));
const ZMClassRegistrar kTextCharPageRegistrar(ZMPageFactoryOf<CZMTextCharPropPage>(ZMPageClasses()[2].clsid));

}  // namespace
}  // namespace zmtext
