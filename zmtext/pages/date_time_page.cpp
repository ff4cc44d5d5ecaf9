#include "zmtext/pages/date_time_page.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "zmtext/module/zmtextlib.h"

namespace zmtext {
namespace {

using F = ZMPageField;

// The properties every edit field has, hidden.
constexpr F kCommonFields[] = {
    kZMBackColorField, kZMForeColorField, kZMBorderEffectField, kZMBorderStyleField,
    {.id = 234, .property = "DataProperty", .type = com::VT_I2, .saved = F::Int, .key = 121, .reset = "2"},
    {.id = 248, .property = "Enabled", .kind = F::Check},
    ZMEolTabField(244), ZMErrorBeepField(245),
    ZMFocusSelectField(240), ZMInsertField(241),
    {.id = 235, .property = "Justification", .type = com::VT_I2, .saved = F::Int, .key = 127, .reset = "1"},
    ZMMousePointerField(236), ZMReadOnlyField(242),
    kZMFontBoldField, kZMFontItalicField, kZMFontNameField, kZMFontSizeField,
    kZMFontStrikethruField, kZMFontUnderlineField,
    {.id = 274, .property = "HdnWidth", .type = com::VT_I4, .saved = F::Int, .key = 236},
    {.id = 273, .property = "HdnHeight", .type = com::VT_I4, .saved = F::Int, .key = 235},
    kZMToolTipField,
};

}  // namespace

ZMFieldPropPage::ZMFieldPropPage(std::string caption, std::uint32_t helpContext, int section)
    : ZMDefaultsPage(std::move(caption), "ZMTEXT.HLP", helpContext, section) {
    auto* top = ZMMake<QVBoxLayout>(this);
    form_ = ZMMake<QFormLayout>(top);
    AddDefaultsButtons(ZMMake<QHBoxLayout>(top));
}

void ZMFieldPropPage::AddCommonItems() {
    AddItems(kCommonFields);
    // The sizes are read-only properties, kept for Save As Default alone.
    IgnoreApply(Edit(274));
    IgnoreApply(Edit(273));
}

void ZMFieldPropPage::AddValueItems(const char* minimumReset, const char* maximumReset) {
    const F values[] = {
        {.id = 239, .property = "MaxValue", .type = com::VT_I4, .saved = F::Long, .key = 157, .reset = maximumReset},
        {.id = 238, .property = "MinValue", .type = com::VT_I4, .saved = F::Long, .key = 158, .reset = minimumReset},
        {.id = 202, .property = "RawData", .limits = {.maxChars = 8}},
        {.id = 203, .property = "Text"},
        {.id = 237, .property = "Value", .type = com::VT_I4},
    };
    AddItems(values);
}

void ZMFieldPropPage::FillList(int id, const char* enumName) {
    List(id)->clear();
    ZMFillList(List(id), ZMTextLib().Find(enumName), false);
}

}  // namespace zmtext
