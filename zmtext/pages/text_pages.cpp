// The text field's three property pages and their entries in the library's factory list.
#include "zmtext/pages/text_pages.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "zmtext/module/zmtextlib.h"
#include "zmtext/pages/page_class.h"

namespace zmtext {
namespace {

using F = ZMPageField;
constexpr int kTextSection = 0;   // the defaults section of the text kind

// In the order the page exchanges them; hidden fields carry the other properties the defaults
// take.
constexpr F kText2Fields[] = {
    {.id = 220, .label = "&FillChar:", .property = "FillChar", .saved = F::String, .key = 134, .reset = "_", .limits = {.maxChars = 1}},
    {.id = 219, .label = "&Mask:", .property = "Mask", .saved = F::String, .key = 130, .reset = "", .limits = {.maxChars = 255}},
    {.id = 222, .label = "Max&Length:", .property = "MaxLength", .type = com::VT_I2, .saved = F::Int, .key = 131, .reset = "0", .limits = {.low = 0, .high = 255}},
    {.id = 221, .label = "&PasswordChar:", .property = "PasswordChar", .saved = F::String, .key = 135, .reset = ""},
    {.id = 223, .label = "&UseFillChar", .property = "UseFillChar", .kind = F::Check, .saved = F::Flag, .key = 132, .reset = "1"},
    {.id = 224, .label = "&ValidateMask", .property = "ValidateMask", .kind = F::Check, .saved = F::Flag, .key = 133, .reset = "1"},
    kZMBackColorField, kZMForeColorField, kZMBorderEffectField, kZMBorderStyleField,
    {.id = 234, .property = "DataProperty", .type = com::VT_I2, .saved = F::Int, .key = 121, .reset = "0"},
    {.id = 242, .property = "Enabled", .kind = F::Check},
    ZMEolTabField(238), ZMErrorBeepField(239),
    ZMFocusSelectField(240), ZMInsertField(241),
    {.id = 235, .property = "Justification", .type = com::VT_I2, .saved = F::Int, .key = 127, .reset = "0"},
    ZMMousePointerField(236),
    {.id = 231, .property = "RawData"},
    ZMReadOnlyField(237),
    {.id = 225, .property = "Text"},
    {.id = 217, .property = "Characters", .type = com::VT_I2, .saved = F::Int, .key = 128, .reset = "-1"},
    {.id = 218, .label = "&HideSelection", .property = "HideSelection", .kind = F::Check, .reset = "1"},
    {.id = 227, .label = "&CharacterTable:", .property = "CharacterTable", .reset = ""},
    kZMFontBoldField, kZMFontItalicField, kZMFontNameField, kZMFontSizeField,
    kZMFontStrikethruField, kZMFontUnderlineField,
    {.id = 273, .property = "HdnHeight", .type = com::VT_I2, .saved = F::Int, .key = 235},
    {.id = 274, .property = "HdnWidth", .type = com::VT_I2, .saved = F::Int, .key = 236},
    {.id = 208, .label = "&AutoScroll", .property = "AutoScroll", .kind = F::Check, .saved = F::Flag, .key = 118, .reset = "1"},
    kZMToolTipField,
};

}  // namespace

// --- CZMText2PropPage ------------------------------------------------------------------------------

CZMText2PropPage::CZMText2PropPage() : ZMDefaultsPage(ZMPageText(16), "ZMTEXT.HLP", 4009, kTextSection) {
    auto* top = ZMMake<QVBoxLayout>(this);
    auto* form = ZMMake<QFormLayout>(top);
    auto* checks = ZMMake<QHBoxLayout>(top);
    auto* buttons = ZMMake<QHBoxLayout>(top);
    AddFields(kText2Fields, nullptr, nullptr);
    for (int id : {219, 227, 220, 221, 222}) PlaceField(id, form, nullptr);
    for (int id : {223, 224, 218, 208}) PlaceField(id, nullptr, checks);
    AddDefaultsButtons(buttons);
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

CZMTextCharPropPage::CZMTextCharPropPage() : ZMItemPage(ZMPageText(18), "ZMTEXT.HLP", 4010) {
    auto* top = ZMMake<QVBoxLayout>(this);
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i] = ZMMake<QCheckBox>(this, QString::fromUtf8(kBoxTexts[i]));
        top->addWidget(boxes_[i]);
        const int id = 227 + static_cast<int>(i);
        connect(boxes_[i], &QCheckBox::clicked, this, [this, id] { BoxClicked(id); });
    }
    auto* form = ZMMake<QFormLayout>(top);
    constexpr F kValue{.id = 234, .label = "C&haracters:", .property = "Characters", .type = com::VT_I2,
                       .limits = {.low = -1, .high = 63}};
    value_ = static_cast<QLineEdit*>(AddField(kValue));
    PlaceField(kValue.id, form, nullptr);
    connect(value_, &QLineEdit::textEdited, this, [this] { ShowBoxes(); });
}

long CZMTextCharPropPage::CurrentValue() const { return ZMNumberOf<long>(value_); }

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

namespace {

// In the order the page exchanges them.
constexpr F kTextFields[] = {
    {.id = 205, .label = "Border&Effect:", .property = "BorderEffect", .kind = F::List},
    {.id = 204, .label = "Border&Style:", .property = "BorderStyle", .kind = F::List},
    {.id = 206, .label = "&DataProperty:", .property = "DataProperty", .kind = F::List},
    {.id = 210, .label = "EOL&Tab", .property = "EOLTab", .kind = F::Check},
    {.id = 211, .label = "Error&Beep", .property = "ErrorBeep", .kind = F::Check},
    {.id = 212, .label = "&FocusSelect", .property = "FocusSelect", .kind = F::Check},
    {.id = 213, .label = "&Insert", .property = "Insert", .kind = F::Check},
    {.id = 207, .label = "&Justification:", .property = "Justification", .kind = F::List},
    {.id = 202, .label = "&RawData:", .property = "RawData"},
    {.id = 209, .label = "Read&Only", .property = "ReadOnly", .kind = F::Check},
    {.id = 217, .label = "E&nabled", .property = "Enabled", .kind = F::Check},
    {.id = 214, .label = "&MousePointer:", .property = "MousePointer", .kind = F::List},
    {.id = 203, .label = "Te&xt:", .property = "Text"},
    {.id = 276, .property = "HdnDataPropCount", .type = com::VT_I2},
    {.id = 208, .label = "Too&lTip:", .property = "ToolTip"},
};

}  // namespace

CZMTextPropPage::CZMTextPropPage() : ZMItemPage(ZMPageText(101), "ZMTEXT.HLP", 4002) {
    auto* top = ZMMake<QVBoxLayout>(this);
    auto* form = ZMMake<QFormLayout>(top);
    auto* checks = ZMMake<QHBoxLayout>(top);
    AddFields(kTextFields, nullptr, nullptr);
    // Placed, and reached by the tab key, in the page's own order.
    const int placed[] = {203, 202, 208, 204, 205, 206, 207, 214, 209, 210, 211, 212, 213, 217};
    for (int id : placed) PlaceField(id, form, checks);
    for (std::size_t i = 1; i < std::size(placed); ++i) setTabOrder(Item(placed[i - 1]), Item(placed[i]));
    FillLists();
}

void CZMTextPropPage::FillLists() {
    const std::pair<const char*, int> lists[] = {{"enumBS", 204}, {"enumBE", 205}, {"enumDPV", 206},
                                                 {"enumJU", 207}, {"enumMP", 214}};
    for (const auto& [name, id] : lists) {
        const QSignalBlocker quiet(List(id));
        List(id)->clear();
        ZMFillList(List(id), ZMTextLib().Find(name), false);
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
