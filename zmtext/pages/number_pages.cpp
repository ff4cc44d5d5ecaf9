// The number fields' three property pages and their entries in the library's factory list.
#include "zmtext/pages/number_pages.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
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

using F = ZMNumberPageField;
using com::VT_BSTR;
using com::VT_I2;
using com::VT_I4;
using com::VT_R4;
using com::VT_R8;

std::string PageText(int id) { return ZMResources().LoadStringUtf8(id); }

std::string AnsiOf(const QLineEdit* edit) {
    const QByteArray bytes = edit->text().toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

template <class T>
T NumberOf(const QLineEdit* edit) {
    const std::string text = edit->text().trimmed().toStdString();
    T value{};
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The built-in colours as the pages show them (signed 32-bit).
#define ZM_BACK "-2147483643"
#define ZM_FORE "-2147483640"

// The tables of the three pages are joined from runs of rows: each page's own visible fields,
// then the hidden carriers of the common properties, where the pages differ only in some item
// ids and in the order of a few rows.
template <std::size_t... N>
constexpr auto Join(const F (&... runs)[N]) {
    std::array<F, (N + ...)> out{};
    std::size_t at = 0;
    ((std::copy(std::begin(runs), std::end(runs), out.begin() + static_cast<std::ptrdiff_t>(at)), at += N), ...);
    return out;
}

constexpr F kShowZeroToEnabled[] = {
    {236, "ShowZero", F::Check, VT_BSTR, "Show&Zero", 0, 1, 0, 176, F::Flag, "1"},
    {208, "AutoScroll", F::Check, VT_BSTR, "Auto&Scroll", 0, 1, 0, 118, F::Flag, "1"},
    {215, "BackColor", F::Edit, VT_I4, "", 0, 1, 0, 116, F::Long, ZM_BACK},
    {216, "ForeColor", F::Edit, VT_I4, "", 0, 1, 0, 117, F::Long, ZM_FORE},
    {233, "BorderEffect", F::Edit, VT_I2, "", 0, 1, 0, 119, F::Int, "0"},
    {232, "BorderStyle", F::Edit, VT_I2, "", 0, 1, 0, 120, F::Int, "1"},
    {234, "DataProperty", F::Edit, VT_I2, "", 0, 1, 0, 121, F::Int, "2"},
    {248, "Enabled", F::Check, VT_BSTR, "", 0, 1, 0, 0, F::None, nullptr},
};
// EOLTab, at the page's own item id.
constexpr F EolTab(int item) { return {item, "EOLTab", F::Check, VT_BSTR, "", 0, 1, 0, 123, F::Flag, "0"}; }
constexpr F kBeepToInsert[] = {
    {245, "ErrorBeep", F::Check, VT_BSTR, "", 0, 1, 0, 124, F::Flag, "0"},
    {246, "FocusSelect", F::Check, VT_BSTR, "", 0, 1, 0, 125, F::Flag, "0"},
    {247, "Insert", F::Check, VT_BSTR, "", 0, 1, 0, 126, F::Flag, "1"},
};
constexpr F kJustification = {235, "Justification", F::Edit, VT_I2, "", 0, 1, 0, 127, F::Int, "2"};
constexpr F MousePointer(int item) { return {item, "MousePointer", F::Edit, VT_I2, "", 0, 1, 0, 221, F::Int, "3"}; }
constexpr F ReadOnly(int item) { return {item, "ReadOnly", F::Check, VT_BSTR, "", 0, 1, 0, 122, F::Flag, "0"}; }
constexpr F kFontBold = {268, "FontBold", F::Check, VT_BSTR, "", 0, 1, 0, 231, F::Flag, "0"};
constexpr F kFontItalic = {269, "FontItalic", F::Check, VT_BSTR, "", 0, 1, 0, 232, F::Flag, "0"};
constexpr F kFontUnderline = {270, "FontUnderline", F::Check, VT_BSTR, "", 0, 1, 0, 233, F::Flag, "0"};
constexpr F kFontStrikethru = {272, "FontStrikethru", F::Check, VT_BSTR, "", 0, 1, 0, 234, F::Flag, "0"};
constexpr F kFontName = {266, "FontName", F::Edit, VT_BSTR, "", 0, 1, 0, 229, F::String, ""};
constexpr F kFontSize = {267, "FontSize", F::Edit, VT_R4, "", 0, 1, 0, 230, F::Float, "8"};
constexpr F kSizesAndToolTip[] = {
    {273, "HdnHeight", F::Edit, VT_I4, "", 0, 1, 0, 235, F::Int, nullptr},
    {274, "HdnWidth", F::Edit, VT_I4, "", 0, 1, 0, 236, F::Int, nullptr},
    {275, "ToolTip", F::Edit, VT_BSTR, "", 0, 1, 0, 0, F::None, nullptr},
};

constexpr F kLongOwn[] = {
    {203, "Text", F::Edit, VT_BSTR, "Te&xt:", 14, 1, 0, 0, F::None, nullptr},
    // "-2147483648" has 11 characters.
    {202, "RawData", F::Edit, VT_BSTR, "&RawData:", 11, 1, 0, 0, F::None, nullptr},
    {237, "Value", F::Edit, VT_I4, "&Value:", 0, 1, 0, 0, F::None, nullptr},
    {238, "MinValue", F::Edit, VT_I4, "M&inValue:", 0, 1, 0, 158, F::Long, "-2147483648"},
    {239, "MaxValue", F::Edit, VT_I4, "M&axValue:", 0, 1, 0, 157, F::Long, "2147483647"},
    {241, "FmtControl", F::List, VT_I2, "Fmt&Control:", 0, 1, 0, 150, F::Int, "0"},
    {240, "FmtThousands", F::Edit, VT_BSTR, "Fmt&Thousands:", 1, 1, 0, 152, F::String, ","},
    {218, "FmtIntDigits", F::Edit, VT_I2, "FmtInt&Digits:", 0, 1, 10, 154, F::Int, "10"},
};
constexpr F kLongHidden[] = {EolTab(244)};
constexpr F kLongFlagsAndFonts[] = {kJustification, MousePointer(242), ReadOnly(243), kFontBold, kFontItalic,
                                    kFontUnderline, kFontStrikethru, kFontName, kFontSize};
constexpr auto kLongFields =
    Join(kLongOwn, kShowZeroToEnabled, kLongHidden, kBeepToInsert, kLongFlagsAndFonts, kSizesAndToolTip);

constexpr F kDoubleOwn[] = {
    {203, "Text", F::Edit, VT_BSTR, "Te&xt:", 0, 1, 0, 0, F::None, nullptr},
    {202, "RawData", F::Edit, VT_BSTR, "&RawData:", 0, 1, 0, 0, F::None, nullptr},
    {237, "Value", F::Edit, VT_R8, "&Value:", 0, 1, 0, 0, F::None, nullptr},
    {238, "MinValue", F::Edit, VT_R8, "M&inValue:", 0, 1, 0, 158, F::Double, "-1.67e+308"},
    {239, "MaxValue", F::Edit, VT_R8, "M&axValue:", 0, 1, 0, 157, F::Double, "1.67e+308"},
    {244, "FmtControl", F::List, VT_I2, "Fmt&Control:", 0, 1, 0, 150, F::Int, "0"},
    {204, "FmtDecimal", F::Edit, VT_BSTR, "FmtD&ecimal:", 1, 1, 0, 151, F::String, "."},
    {240, "FmtThousands", F::Edit, VT_BSTR, "Fmt&Thousands:", 1, 1, 0, 152, F::String, ","},
    {218, "FmtIntDigits", F::Edit, VT_I2, "FmtInt&Digits:", 0, 0, 15, 154, F::Int, "15"},
    {207, "FmtDecDigits", F::Edit, VT_I2, "FmtDec&Digits:", 0, 0, 15, 153, F::Int, "3"},
};
constexpr F kDecimalHidden[] = {EolTab(243)};
constexpr F kDoubleFlagsAndFonts[] = {kJustification, MousePointer(241), ReadOnly(242), kFontBold, kFontItalic,
                                      kFontUnderline, kFontStrikethru, kFontName, kFontSize};
constexpr auto kDoubleFields =
    Join(kDoubleOwn, kShowZeroToEnabled, kDecimalHidden, kBeepToInsert, kDoubleFlagsAndFonts, kSizesAndToolTip);

constexpr F kCurrencyOwn[] = {
    {203, "Text", F::Edit, VT_BSTR, "Te&xt:", 30, 1, 0, 0, F::None, nullptr},
    {202, "RawData", F::Edit, VT_BSTR, "&RawData:", 21, 1, 0, 0, F::None, nullptr},
    {237, "Value", F::Edit, VT_BSTR, "&Value:", 21, 1, 0, 0, F::None, nullptr},
    {238, "MinValue", F::Edit, VT_BSTR, "M&inValue:", 21, 1, 0, 158, F::String, "-922337203685477.5807"},
    {239, "MaxValue", F::Edit, VT_BSTR, "M&axValue:", 21, 1, 0, 157, F::String, "922337203685477.5807"},
    {244, "FmtControl", F::List, VT_I2, "Fmt&Control:", 0, 1, 0, 150, F::Int, "0"},
    {205, "FmtCurrency", F::Edit, VT_BSTR, "FmtC&urrency:", 6, 1, 0, 177, F::String, "$"},
    {204, "FmtDecimal", F::Edit, VT_BSTR, "FmtD&ecimal:", 1, 1, 0, 151, F::String, "."},
    {240, "FmtThousands", F::Edit, VT_BSTR, "Fmt&Thousands:", 1, 1, 0, 152, F::String, ","},
    {218, "FmtIntDigits", F::Edit, VT_I2, "FmtInt&Digits:", 0, 0, 15, 154, F::Int, "15"},
    {207, "FmtDecDigits", F::Edit, VT_I2, "FmtDec&Digits:", 0, 0, 4, 153, F::Int, "2"},
};
// The currency page lists ReadOnly first and the font's name and size before its lines.
constexpr F kCurrencyFlagsAndFonts[] = {ReadOnly(242), kJustification, MousePointer(241), kFontBold, kFontItalic,
                                        kFontName, kFontSize, kFontUnderline, kFontStrikethru};
constexpr auto kCurrencyFields = Join(kCurrencyOwn, kShowZeroToEnabled, kDecimalHidden, kBeepToInsert,
                                      kCurrencyFlagsAndFonts, kSizesAndToolTip);

#undef ZM_BACK
#undef ZM_FORE

const ZMNumberPageSpec kLongSpec{107, 4006, 3, "enumFCTL", true, kLongFields};
const ZMNumberPageSpec kDoubleSpec{109, 4003, 4, "enumFCTL", true, kDoubleFields};
const ZMNumberPageSpec kCurrencySpec{111, 4001, 5, "enumFCTL_CUR", false, kCurrencyFields};

}  // namespace

CZMNumberPropPage::CZMNumberPropPage(const ZMNumberPageSpec& spec)
    : ZMDefaultsPage(PageText(spec.caption), "ZMTEXT.HLP", spec.helpContext), spec_(spec) {
    auto* form = new QFormLayout;
    auto* checks = new QHBoxLayout;
    auto* buttons = new QHBoxLayout;
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(checks);
    top->addLayout(buttons);
    for (const F& f : spec.fields) {
        const bool visible = *f.label != '\0';
        QWidget* w = nullptr;
        if (f.kind == F::Check) {
            auto* check = new QCheckBox(QString::fromUtf8(f.label), this);
            BindCheck(check, f.property);
            if (visible) checks->addWidget(check);
            w = check;
        } else if (f.kind == F::List) {
            auto* combo = new QComboBox(this);
            // Filled once, before the first transfer from the controls, so loading can pick an
            // entry.
            FillFormatList(combo);
            BindListIndex(combo, f.property);
            form->addRow(QString::fromUtf8(f.label), combo);
            w = combo;
        } else {
            auto* edit = new QLineEdit(this);
            BindText(edit, f.property, f.type);
            if (f.maxChars > 0) ValidateMaxChars(edit, f.maxChars);
            if (f.low <= f.high) ValidateRange(edit, f.low, f.high);
            if (visible) form->addRow(QString::fromUtf8(f.label), edit);
            w = edit;
        }
        w->setObjectName(QString::number(f.item));
        if (!visible) {
            w->setVisible(false);
            w->setEnabled(false);
        }
        AddItem(f.item, w);
    }
    AddDefaultsButtons(buttons, static_cast<ZMControlKind>(spec_.section));
}

void CZMNumberPropPage::FillFormatList(QComboBox* combo) {
    const com::TypeInfoData* type = ZMTextLib().Find(spec_.formatEnum);
    if (!type) return;
    const bool wasBlocked = combo->blockSignals(true);
    for (const com::VarDesc& member : type->vars) {
        char entry[300];
        std::snprintf(entry, sizeof entry, "%ld - %s", static_cast<long>(member.value.AsI4()), member.name.c_str());
        combo->addItem(QString::fromUtf8(entry));
    }
    combo->blockSignals(wasBlocked);
}

bool CZMNumberPropPage::SaveAsDefault() {
    if (!UpdateData(true)) return false;
    CZMDefaultsStore* store = ZMDefaults();
    if (!store) return false;
    const int section = spec_.section;
    bool ok = true;
    for (const F& f : spec_.fields) {
        switch (f.save) {
        case F::None: break;
        case F::Long: ok &= store->WriteLong(section, f.key, NumberOf<std::int32_t>(Edit(f.item))); break;
        case F::Int:
            ok &= store->WriteInt(section, f.key, f.kind == F::List ? List(f.item)->currentIndex() : NumberOf<int>(Edit(f.item)));
            break;
        case F::Flag: ok &= store->WriteInt(section, f.key, Check(f.item)->isChecked() ? 1 : 0); break;
        case F::Float: ok &= store->WriteFloat(section, f.key, NumberOf<float>(Edit(f.item))); break;
        case F::Double: ok &= store->WriteDouble(section, f.key, NumberOf<double>(Edit(f.item))); break;
        case F::String: ok &= store->WriteString(section, f.key, AnsiOf(Edit(f.item))); break;
        }
    }
    SetModifiedFlag(false);
    return ok;
}

bool CZMNumberPropPage::ResetDefault() {
    CZMDefaultsStore* store = ZMDefaults();
    if (!store || !store->DeleteSection(spec_.section)) return false;
    for (const F& f : spec_.fields) {
        if (!f.reset) continue;
        QWidget* w = Item(f.item);
        if (f.kind == F::Check) Check(f.item)->setChecked(f.reset[0] == '1');
        else if (f.kind == F::List) List(f.item)->setCurrentIndex(0);
        else if (f.save == F::String && f.key == 229) Edit(f.item)->setText(QString::fromStdString(PageText(IDS_DEFAULT_FONT)));
        else Edit(f.item)->setText(QString::fromUtf8(f.reset));
        SetControlStatus(w, true);
    }
    if (spec_.applyAtReset && !UpdateData(true)) return false;
    SetModifiedFlag(false);
    return true;
}

CZMLongPropPage::CZMLongPropPage() : CZMNumberPropPage(kLongSpec) {}
CZMDoublePropPage::CZMDoublePropPage() : CZMNumberPropPage(kDoubleSpec) {}
CZMCurrencyPropPage::CZMCurrencyPropPage() : CZMNumberPropPage(kCurrencySpec) {}

namespace {

const com::Guid& PageClsid(const char* className) {
    for (const auto& p : ZMPageClasses())
        if (p.className == className) return p.clsid;
    static const com::Guid none{};
    return none;
}

const ZMClassRegistrar kLongPageRegistrar(ZMPageFactoryOf<CZMLongPropPage>(PageClsid("CZMLongPropPage")));
const ZMClassRegistrar kDoublePageRegistrar(ZMPageFactoryOf<CZMDoublePropPage>(PageClsid("CZMDoublePropPage")));
const ZMClassRegistrar kCurrencyPageRegistrar(ZMPageFactoryOf<CZMCurrencyPropPage>(PageClsid("CZMCurrencyPropPage")));

}  // namespace
}  // namespace zmtext
