#include "zmtext/pages/label_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/com/typelib.h"
#include "platform/ctl/services.h"
#include "platform/win/cp1252.h"
#include "zmtext/module/about.h"
#include "zmtext/module/app.h"
#include "zmtext/module/classes.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"
#include "zmtext/controls/label_ctrl.h"
#include "zmtext/module/zmtextlib.h"
#include "zmtext/pages/page_class.h"

namespace zmtext {
namespace {

constexpr int IDS_PAGE_CAPTION = 113;

using F = ZMPageField;
constexpr F::Limits kColour{.low = std::numeric_limits<std::int32_t>::min(), .high = std::numeric_limits<std::int32_t>::max()};

// In the order Apply writes them. The size carriers only feed "Save As Default"; the label's size
// is its container's.
constexpr F kLabelFields[] = {
    {.id = kItemCaption, .label = "Caption", .property = "Caption"},
    {.id = kItemBackColor, .label = "BackColor", .property = "BackColor", .type = com::VT_I4, .saved = F::Long, .key = kLabelKeyBackColor, .reset = "-2147483643", .limits = kColour},
    {.id = kItemForeColor, .label = "ForeColor", .property = "ForeColor", .type = com::VT_I4, .saved = F::Long, .key = kLabelKeyForeColor, .reset = "-2147483640", .limits = kColour},
    {.id = kItemChiselColor, .label = "ChiselColor", .property = "ChiselColor", .type = com::VT_I4, .saved = F::Long, .key = kLabelKeyChiselColor, .reset = "16777215", .limits = kColour},
    {.id = kItemFontName, .label = "FontName", .property = "FontName", .saved = F::String, .key = kLabelKeyFontName, .reset = ""},
    {.id = kItemFontSize, .label = "FontSize", .property = "FontSize", .type = com::VT_R4, .saved = F::Float, .key = kLabelKeyFontSize, .reset = "8"},
    {.id = kItemHdnWidth, .property = "HdnWidth", .type = com::VT_I4, .saved = F::Int, .key = kLabelKeyWidth},
    {.id = kItemHdnHeight, .property = "HdnHeight", .type = com::VT_I4, .saved = F::Int, .key = kLabelKeyHeight},
    {.id = kItemAlignment, .label = "Alignment", .property = "Alignment", .kind = F::List, .saved = F::Int, .key = kLabelKeyAlignment, .reset = "0"},
    {.id = kItemBackgroundStyle, .label = "BackgroundStyle", .property = "BackgroundStyle", .kind = F::List, .saved = F::Int, .key = kLabelKeyBackgroundStyle, .reset = "1"},
    {.id = kItemBorderEffect, .label = "BorderEffect", .property = "BorderEffect", .kind = F::List, .saved = F::Int, .key = kLabelKeyBorderEffect, .reset = "0"},
    {.id = kItemBorderStyle, .label = "BorderStyle", .property = "BorderStyle", .kind = F::List, .saved = F::Int, .key = kLabelKeyBorderStyle, .reset = "0"},
    {.id = kItemChiselText, .label = "ChiselText", .property = "ChiselText", .kind = F::List, .saved = F::Int, .key = kLabelKeyChiselText, .reset = "0"},
    {.id = kItemLabelStyle, .label = "LabelStyle", .property = "LabelStyle", .kind = F::List, .saved = F::Int, .key = kLabelKeyLabelStyle, .reset = "0"},
    {.id = kItemMousePointer, .label = "MousePointer", .property = "MousePointer", .kind = F::List, .saved = F::Int, .key = kLabelKeyMousePointer, .reset = "0"},
    // Enabled is no stored default: a reset leaves it as it is.
    {.id = kItemEnabled, .label = "Enabled", .property = "Enabled", .kind = F::Check},
    {.id = kItemWordWrap, .label = "WordWrap", .property = "WordWrap", .kind = F::Check, .saved = F::Flag, .key = kLabelKeyWordWrap, .reset = "0"},
    {.id = kItemFontBold, .label = "FontBold", .property = "FontBold", .kind = F::Check, .saved = F::Flag, .key = kLabelKeyFontBold, .reset = "0"},
    {.id = kItemFontItalic, .label = "FontItalic", .property = "FontItalic", .kind = F::Check, .saved = F::Flag, .key = kLabelKeyFontItalic, .reset = "0"},
    {.id = kItemFontUnderline, .label = "FontUnderline", .property = "FontUnderline", .kind = F::Check, .saved = F::Flag, .key = kLabelKeyFontUnderline, .reset = "0"},
    {.id = kItemFontStrikethru, .label = "FontStrikethru", .property = "FontStrikethru", .kind = F::Check, .saved = F::Flag, .key = kLabelKeyFontStrikethru, .reset = "0"},
};

// The lists and the enumeration each shows.
struct ListSource {
    int item;
    const char* enumeration;
};
constexpr ListSource kLists[] = {
    {kItemAlignment, "enumJU"}, {kItemBackgroundStyle, "enumLB"}, {kItemBorderEffect, "enumBE"},
    {kItemChiselText, "enumCT"}, {kItemLabelStyle, "enumLS"},     {kItemMousePointer, "enumMP"},
    {kItemBorderStyle, "enumBS"},
};

std::optional<float> FontSizeOf(const QString& text) {
    const std::string digits = text.trimmed().toStdString();
    float size = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    if (digits.empty() || ec != std::errc() || !std::isfinite(size) || size <= 0 || size > 2048) return std::nullopt;
    // "8." as the platform writes a whole size is a size too.
    if (end != digits.data() + digits.size() && !(*end == '.' && end + 1 == digits.data() + digits.size()))
        return std::nullopt;
    return size;
}

std::string LibraryHelpFile() {
    const std::string path = ZMHelpFilePath();
    return path.empty() ? std::string(kZMHelpFile) : path;
}

const com::Guid& LabelPageClsid() {
    static const com::Guid clsid = [] {
        for (const auto& page : ZMPageClasses())
            if (page.className == "CZMLabelPropPage") return page.clsid;
        return com::Guid();
    }();
    return clsid;
}

}  // namespace

// Field `id` in the next row of the page's grid, after its caption (none for a hidden field or a
// check box, which shows its own).
void CZMLabelPropPage::Place(QWidget* field, const char* caption) {
    auto* grid = static_cast<QGridLayout*>(layout());
    const int row = grid->rowCount();
    if (caption) grid->addWidget(ZMMake<QLabel>(this, QString::fromUtf8(caption)), row, 0);
    grid->addWidget(field, row, 1);
}

CZMLabelPropPage::CZMLabelPropPage()
    : ZMDefaultsPage(ZMPageText(IDS_PAGE_CAPTION), LibraryHelpFile(), kLabelPageHelpContext, kKindLabel) {
    setWhatsThis(QStringLiteral("Customize ZM Label's properties"));
    ZMMake<QGridLayout>(this);
    AddFields(kLabelFields, nullptr, nullptr);
    for (const F& f : kLabelFields) {
        if (*f.label == '\0') IgnoreApply(Item(f.id));
        Place(Item(f.id), f.kind == F::Check || *f.label == '\0' ? nullptr : f.label);
    }
    FillLists();
    const auto& buttons = DefaultsButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const int id = kItemSaveDefault + static_cast<int>(i);
        buttons[i]->setObjectName(QString::number(id));
        AddItem(id, buttons[i]);
        Place(buttons[i], nullptr);
    }
}

// The lists come from the library's own type library, read back from its file when it is one;
// linked into a program, the library's description is that same table.
void CZMLabelPropPage::FillLists() {
    if (listsFilled_) return;
    std::shared_ptr<const com::TypeLib> loaded;
    const com::TypeLibraryData& lib =
        com::Succeeded(com::LoadTypeLib(ZMModulePath(), &loaded)) && loaded->Data().guid == kZMTextLibId
            ? loaded->Data()
            : ZMTextLib();
    std::size_t found = 0;
    for (std::size_t i = 0; i < lib.types.size() && found < std::size(kLists); ++i) {
        const com::TypeInfoData& type = lib.types[i];
        if (type.kind != com::TypeKind::Enum) continue;
        for (const ListSource& list : kLists) {
            if (type.name != list.enumeration) continue;
            const QSignalBlocker quiet(Combo(list.item));
            ZMFillList(Combo(list.item), &type, true);
            ++found;
        }
    }
    listsFilled_ = true;
}

void CZMLabelPropPage::OnLoadFields() { FillLists(); }

bool CZMLabelPropPage::OnValidateFields() {
    if (!FontSizeOf(Edit(kItemFontSize)->text())) {
        ShowError(Edit(kItemFontSize), "Invalid property value");
        return false;
    }
    return true;
}

bool CZMLabelPropPage::SaveAsDefault() {
    // Without a defaults file the page is not applied either.
    return ZMDefaults() && ZMDefaultsPage::SaveAsDefault();
}

namespace {

const ZMClassRegistrar kLabelPageClass{ZMPageFactoryOf<CZMLabelPropPage>(LabelPageClsid())};

}  // namespace

}  // namespace zmtext
