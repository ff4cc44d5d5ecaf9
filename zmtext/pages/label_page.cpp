#include "zmtext/pages/label_page.h"

#include <QGridLayout>
#include <QLabel>
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

// The page's texts on the page, as the defaults file's decimal numbers.
std::optional<std::int32_t> Int32Of(const QString& text) {
    const std::string digits = text.trimmed().toStdString();
    std::int32_t n = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return n;
}

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

QString Decimal(std::uint32_t colour) { return QString::number(static_cast<std::int32_t>(colour)); }

std::string LibraryHelpFile() {
    const std::string path = ZMHelpFilePath();
    return path.empty() ? std::string(kZMHelpFile) : path;
}

// A widget owned by `parent` (Qt deletes children with their parent).
template <class W>
W* ChildOf(QWidget* parent) {
    auto widget = std::make_unique<W>();
    widget->setParent(parent);
    return widget.release();
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

// A field in the next row of the page's grid, after its caption (none for a hidden field).
template <class W>
W* CZMLabelPropPage::Add(int id, const char* label) {
    W* w = ChildOf<W>(this);
    w->setObjectName(QString::number(id));
    auto* grid = static_cast<QGridLayout*>(layout());
    const int row = grid->rowCount();
    if (label) {
        QLabel* caption = ChildOf<QLabel>(this);
        caption->setText(QString::fromUtf8(label));
        grid->addWidget(caption, row, 0);
    }
    grid->addWidget(w, row, 1);
    AddItem(id, w);
    return w;
}

CZMLabelPropPage::CZMLabelPropPage()
    : ZMItemPage(win::Cp1252ToUtf8(ZMLoadString(IDS_PAGE_CAPTION).value_or("")), LibraryHelpFile(), kLabelPageHelpContext) {
    setWhatsThis(QStringLiteral("Customize ZM Label's properties"));
    setLayout(std::make_unique<QGridLayout>().release());
    struct Text {
        int id;
        const char* label;
        const char* property;
        com::VarType type;
    };
    const Text texts[] = {
        {kItemCaption, "Caption", "Caption", com::VT_BSTR},        {kItemBackColor, "BackColor", "BackColor", com::VT_I4},
        {kItemForeColor, "ForeColor", "ForeColor", com::VT_I4},    {kItemChiselColor, "ChiselColor", "ChiselColor", com::VT_I4},
        {kItemFontName, "FontName", "FontName", com::VT_BSTR},     {kItemFontSize, "FontSize", "FontSize", com::VT_R4},
        {kItemHdnWidth, nullptr, "HdnWidth", com::VT_I4},          {kItemHdnHeight, nullptr, "HdnHeight", com::VT_I4},
    };
    for (const Text& t : texts) BindText(Add<QLineEdit>(t.id, t.label), t.property, t.type);
    for (int id : {kItemBackColor, kItemForeColor, kItemChiselColor})
        ValidateRange(Edit(id), std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    // The size carriers only feed "Save As Default"; the label's size is its container's.
    for (int id : {kItemHdnWidth, kItemHdnHeight}) {
        Item(id)->hide();
        IgnoreApply(Item(id));
    }
    const std::pair<int, const char*> lists[] = {
        {kItemAlignment, "Alignment"},   {kItemBackgroundStyle, "BackgroundStyle"}, {kItemBorderEffect, "BorderEffect"},
        {kItemBorderStyle, "BorderStyle"}, {kItemChiselText, "ChiselText"},         {kItemLabelStyle, "LabelStyle"},
        {kItemMousePointer, "MousePointer"},
    };
    for (const auto& [id, name] : lists) Add<QComboBox>(id, name);
    FillLists();
    for (const auto& [id, name] : lists) BindListIndex(Combo(id), name);
    const std::pair<int, const char*> checks[] = {
        {kItemEnabled, "Enabled"},     {kItemWordWrap, "WordWrap"},           {kItemFontBold, "FontBold"},
        {kItemFontItalic, "FontItalic"}, {kItemFontUnderline, "FontUnderline"}, {kItemFontStrikethru, "FontStrikethru"},
    };
    for (const auto& [id, name] : checks) {
        QCheckBox* check = Add<QCheckBox>(id, nullptr);
        check->setText(QString::fromUtf8(name));
        BindCheck(check, name);
    }
    const std::tuple<int, const char*, void (CZMLabelPropPage::*)()> buttons[] = {
        {kItemSaveDefault, "Save As Default", &CZMLabelPropPage::SaveAsDefault},
        {kItemResetDefault, "Reset Default", &CZMLabelPropPage::ResetDefault},
        {kItemAbout, "About...", &CZMLabelPropPage::ShowAbout},
    };
    for (const auto& [id, text, action] : buttons) {
        QPushButton* button = Add<QPushButton>(id, nullptr);
        button->setText(QString::fromUtf8(text));
        connect(button, &QPushButton::clicked, this, action);
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
            for (const std::string& entry : com::EnumListEntries(type, true))
                Combo(list.item)->addItem(QString::fromStdString(win::Cp1252ToUtf8(entry)));
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

void CZMLabelPropPage::SaveAsDefault() {
    CZMDefaultsStore* store = ZMDefaults();
    if (!store || !UpdateData(true)) return;
    const auto number = [this](int id) { return Int32Of(Edit(id)->text()).value_or(0); };
    store->WriteLong(kKindLabel, kLabelKeyBackColor, number(kItemBackColor));
    store->WriteLong(kKindLabel, kLabelKeyForeColor, number(kItemForeColor));
    store->WriteLong(kKindLabel, kLabelKeyChiselColor, number(kItemChiselColor));
    const std::pair<int, int> lists[] = {
        {kLabelKeyBorderStyle, kItemBorderStyle}, {kLabelKeyBorderEffect, kItemBorderEffect}, {kLabelKeyAlignment, kItemAlignment},
        {kLabelKeyChiselText, kItemChiselText},   {kLabelKeyLabelStyle, kItemLabelStyle},     {kLabelKeyMousePointer, kItemMousePointer},
        {kLabelKeyBackgroundStyle, kItemBackgroundStyle},
    };
    for (const auto& [key, id] : lists) store->WriteInt(kKindLabel, key, Combo(id)->currentIndex());
    store->WriteInt(kKindLabel, kLabelKeyWordWrap, Check(kItemWordWrap)->isChecked() ? 1 : 0);
    store->WriteString(kKindLabel, kLabelKeyFontName, win::Utf8ToCp1252(Edit(kItemFontName)->text().toStdString()));
    store->WriteFloat(kKindLabel, kLabelKeyFontSize, FontSizeOf(Edit(kItemFontSize)->text()).value_or(8.0f));
    const std::pair<int, int> flags[] = {{kLabelKeyFontBold, kItemFontBold},
                                         {kLabelKeyFontItalic, kItemFontItalic},
                                         {kLabelKeyFontUnderline, kItemFontUnderline},
                                         {kLabelKeyFontStrikethru, kItemFontStrikethru}};
    for (const auto& [key, id] : flags) store->WriteInt(kKindLabel, key, Check(id)->isChecked() ? 1 : 0);
    store->WriteInt(kKindLabel, kLabelKeyHeight, number(kItemHdnHeight));
    store->WriteInt(kKindLabel, kLabelKeyWidth, number(kItemHdnWidth));
}

void CZMLabelPropPage::ResetDefault() {
    CZMDefaultsStore* store = ZMDefaults();
    if (!store || !store->DeleteSection(kKindLabel)) return;
    Edit(kItemBackColor)->setText(Decimal(0x80000005u));
    Edit(kItemForeColor)->setText(Decimal(0x80000008u));
    Edit(kItemChiselColor)->setText(Decimal(0xFFFFFFu));
    Edit(kItemFontName)->setText(QString::fromStdString(win::Cp1252ToUtf8(ZMLoadString(IDS_DEFAULT_FONT).value_or(""))));
    Edit(kItemFontSize)->setText(QStringLiteral("8"));
    std::vector<QWidget*> reset{Item(kItemBackColor), Item(kItemForeColor), Item(kItemChiselColor),
                                Item(kItemFontName), Item(kItemFontSize)};
    for (const ListSource& list : kLists) {
        Combo(list.item)->setCurrentIndex(list.item == kItemBackgroundStyle ? 1 : 0);
        reset.push_back(Item(list.item));
    }
    // Enabled is no stored default: a reset leaves it as it is.
    for (int id : {kItemWordWrap, kItemFontBold, kItemFontItalic, kItemFontUnderline, kItemFontStrikethru}) {
        Check(id)->setChecked(false);
        reset.push_back(Item(id));
    }
    for (QWidget* field : reset) SetControlStatus(field, true);
    SetModifiedFlag(false);
}

void CZMLabelPropPage::ShowAbout() { ZMShowAboutBox(this, ZMControlKind::Label); }

namespace {

const ZMClassRegistrar kLabelPageClass{ZMPageFactoryOf<CZMLabelPropPage>(LabelPageClsid())};

}  // namespace

}  // namespace zmtext
