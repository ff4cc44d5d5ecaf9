// The number fields' three property pages and their entries in the library's factory list.
#include "zmtext/pages/number_pages.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "zmtext/module/zmtextlib.h"
#include "zmtext/pages/page_class.h"

namespace zmtext {
namespace {

using F = ZMPageField;

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
    {.id = 236, .label = "Show&Zero", .property = "ShowZero", .kind = F::Check, .saved = F::Flag, .key = 176, .reset = "1"},
    {.id = 208, .label = "Auto&Scroll", .property = "AutoScroll", .kind = F::Check, .saved = F::Flag, .key = 118, .reset = "1"},
    kZMBackColorField, kZMForeColorField, kZMBorderEffectField, kZMBorderStyleField,
    {.id = 234, .property = "DataProperty", .type = com::VT_I2, .saved = F::Int, .key = 121, .reset = "2"},
    {.id = 248, .property = "Enabled", .kind = F::Check},
};
constexpr F kBeepToInsert[] = {
    ZMErrorBeepField(245), ZMFocusSelectField(246), ZMInsertField(247),
};
constexpr F kJustification = {.id = 235, .property = "Justification", .type = com::VT_I2, .saved = F::Int, .key = 127, .reset = "2"};
constexpr F kSizesAndToolTip[] = {
    {.id = 273, .property = "HdnHeight", .type = com::VT_I4, .saved = F::Int, .key = 235},
    {.id = 274, .property = "HdnWidth", .type = com::VT_I4, .saved = F::Int, .key = 236},
    kZMToolTipField,
};

constexpr F kLongOwn[] = {
    {.id = 203, .label = "Te&xt:", .property = "Text", .limits = {.maxChars = 14}},
    // "-2147483648" has 11 characters.
    {.id = 202, .label = "&RawData:", .property = "RawData", .limits = {.maxChars = 11}},
    {.id = 237, .label = "&Value:", .property = "Value", .type = com::VT_I4},
    {.id = 238, .label = "M&inValue:", .property = "MinValue", .type = com::VT_I4, .saved = F::Long, .key = 158, .reset = "-2147483648"},
    {.id = 239, .label = "M&axValue:", .property = "MaxValue", .type = com::VT_I4, .saved = F::Long, .key = 157, .reset = "2147483647"},
    {.id = 241, .label = "Fmt&Control:", .property = "FmtControl", .kind = F::List, .saved = F::Int, .key = 150, .reset = "0"},
    {.id = 240, .label = "Fmt&Thousands:", .property = "FmtThousands", .saved = F::String, .key = 152, .reset = ",", .limits = {.maxChars = 1}},
    {.id = 218, .label = "FmtInt&Digits:", .property = "FmtIntDigits", .type = com::VT_I2, .saved = F::Int, .key = 154, .reset = "10", .limits = {.low = 1, .high = 10}},
};
constexpr F kLongHidden[] = {ZMEolTabField(244)};
constexpr F kLongFlagsAndFonts[] = {kJustification, ZMMousePointerField(242), ZMReadOnlyField(243), kZMFontBoldField, kZMFontItalicField,
                                    kZMFontUnderlineField, kZMFontStrikethruField, kZMFontNameField, kZMFontSizeField};
constexpr auto kLongFields =
    Join(kLongOwn, kShowZeroToEnabled, kLongHidden, kBeepToInsert, kLongFlagsAndFonts, kSizesAndToolTip);

constexpr F kDoubleOwn[] = {
    {.id = 203, .label = "Te&xt:", .property = "Text"},
    {.id = 202, .label = "&RawData:", .property = "RawData"},
    {.id = 237, .label = "&Value:", .property = "Value", .type = com::VT_R8},
    {.id = 238, .label = "M&inValue:", .property = "MinValue", .type = com::VT_R8, .saved = F::Double, .key = 158, .reset = "-1.67e+308"},
    {.id = 239, .label = "M&axValue:", .property = "MaxValue", .type = com::VT_R8, .saved = F::Double, .key = 157, .reset = "1.67e+308"},
    {.id = 244, .label = "Fmt&Control:", .property = "FmtControl", .kind = F::List, .saved = F::Int, .key = 150, .reset = "0"},
    {.id = 204, .label = "FmtD&ecimal:", .property = "FmtDecimal", .saved = F::String, .key = 151, .reset = ".", .limits = {.maxChars = 1}},
    {.id = 240, .label = "Fmt&Thousands:", .property = "FmtThousands", .saved = F::String, .key = 152, .reset = ",", .limits = {.maxChars = 1}},
    {.id = 218, .label = "FmtInt&Digits:", .property = "FmtIntDigits", .type = com::VT_I2, .saved = F::Int, .key = 154, .reset = "15", .limits = {.low = 0, .high = 15}},
    {.id = 207, .label = "FmtDec&Digits:", .property = "FmtDecDigits", .type = com::VT_I2, .saved = F::Int, .key = 153, .reset = "3", .limits = {.low = 0, .high = 15}},
};
constexpr F kDecimalHidden[] = {ZMEolTabField(243)};
constexpr F kDoubleFlagsAndFonts[] = {kJustification, ZMMousePointerField(241), ZMReadOnlyField(242), kZMFontBoldField, kZMFontItalicField,
                                      kZMFontUnderlineField, kZMFontStrikethruField, kZMFontNameField, kZMFontSizeField};
constexpr auto kDoubleFields =
    Join(kDoubleOwn, kShowZeroToEnabled, kDecimalHidden, kBeepToInsert, kDoubleFlagsAndFonts, kSizesAndToolTip);

constexpr F kCurrencyOwn[] = {
    {.id = 203, .label = "Te&xt:", .property = "Text", .limits = {.maxChars = 30}},
    {.id = 202, .label = "&RawData:", .property = "RawData", .limits = {.maxChars = 21}},
    {.id = 237, .label = "&Value:", .property = "Value", .limits = {.maxChars = 21}},
    {.id = 238, .label = "M&inValue:", .property = "MinValue", .saved = F::String, .key = 158, .reset = "-922337203685477.5807", .limits = {.maxChars = 21}},
    {.id = 239, .label = "M&axValue:", .property = "MaxValue", .saved = F::String, .key = 157, .reset = "922337203685477.5807", .limits = {.maxChars = 21}},
    {.id = 244, .label = "Fmt&Control:", .property = "FmtControl", .kind = F::List, .saved = F::Int, .key = 150, .reset = "0"},
    {.id = 205, .label = "FmtC&urrency:", .property = "FmtCurrency", .saved = F::String, .key = 177, .reset = "$", .limits = {.maxChars = 6}},
    {.id = 204, .label = "FmtD&ecimal:", .property = "FmtDecimal", .saved = F::String, .key = 151, .reset = ".", .limits = {.maxChars = 1}},
    {.id = 240, .label = "Fmt&Thousands:", .property = "FmtThousands", .saved = F::String, .key = 152, .reset = ",", .limits = {.maxChars = 1}},
    {.id = 218, .label = "FmtInt&Digits:", .property = "FmtIntDigits", .type = com::VT_I2, .saved = F::Int, .key = 154, .reset = "15", .limits = {.low = 0, .high = 15}},
    {.id = 207, .label = "FmtDec&Digits:", .property = "FmtDecDigits", .type = com::VT_I2, .saved = F::Int, .key = 153, .reset = "2", .limits = {.low = 0, .high = 4}},
};
// The currency page lists ReadOnly first and the font's name and size before its lines.
constexpr F kCurrencyFlagsAndFonts[] = {ZMReadOnlyField(242), kJustification, ZMMousePointerField(241), kZMFontBoldField, kZMFontItalicField,
                                        kZMFontNameField, kZMFontSizeField, kZMFontUnderlineField, kZMFontStrikethruField};
constexpr auto kCurrencyFields = Join(kCurrencyOwn, kShowZeroToEnabled, kDecimalHidden, kBeepToInsert,
                                      kCurrencyFlagsAndFonts, kSizesAndToolTip);

const ZMNumberPageSpec kLongSpec{107, 4006, 3, "enumFCTL", true, kLongFields};
const ZMNumberPageSpec kDoubleSpec{109, 4003, 4, "enumFCTL", true, kDoubleFields};
const ZMNumberPageSpec kCurrencySpec{111, 4001, 5, "enumFCTL_CUR", false, kCurrencyFields};

}  // namespace

CZMNumberPropPage::CZMNumberPropPage(const ZMNumberPageSpec& spec)
    : ZMDefaultsPage(ZMPageText(spec.caption), "ZMTEXT.HLP", spec.helpContext, spec.section, spec.applyAtReset) {
    auto* top = ZMMake<QVBoxLayout>(this);
    auto* form = ZMMake<QFormLayout>(top);
    auto* checks = ZMMake<QHBoxLayout>(top);
    auto* buttons = ZMMake<QHBoxLayout>(top);
    AddFields(spec.fields, form, checks, true);
    // Filled once, before the first transfer from the controls, so loading can pick an entry.
    for (const F& f : spec.fields)
        if (f.kind == F::List) {
            const QSignalBlocker quiet(List(f.id));
            ZMFillList(List(f.id), ZMTextLib().Find(spec.formatEnum), true);
        }
    AddDefaultsButtons(buttons);
}

CZMLongPropPage::CZMLongPropPage() : CZMNumberPropPage(kLongSpec) {}
CZMDoublePropPage::CZMDoublePropPage() : CZMNumberPropPage(kDoubleSpec) {}
CZMCurrencyPropPage::CZMCurrencyPropPage() : CZMNumberPropPage(kCurrencySpec) {}

namespace {

const ZMClassRegistrar kLongPageRegistrar(ZMPageFactoryOf<CZMLongPropPage>(ZMPageClassId("CZMLongPropPage")));
const ZMClassRegistrar kDoublePageRegistrar(ZMPageFactoryOf<CZMDoublePropPage>(ZMPageClassId("CZMDoublePropPage")));
const ZMClassRegistrar kCurrencyPageRegistrar(ZMPageFactoryOf<CZMCurrencyPropPage>(ZMPageClassId("CZMCurrencyPropPage")));

}  // namespace
}  // namespace zmtext
