#include "platform/ctl/property_sheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <charconv>

#include "platform/com/factory.h"
#include "platform/ctl/colors.h"
#include "platform/ctl/font_picture.h"
#include "platform/ctl/text_metrics.h"

namespace ctl {

namespace {

// Widgets and layouts made here belong to their parent widget from construction on (Qt deletes
// children); a layout constructed on a widget becomes that widget's layout. Reparenting a widget
// built as a top-level window instead was seen to crash in Qt's focus-chain bookkeeping.
template <class W, class... Args>
W* Child(QWidget* parent, Args&&... args) {
    return std::make_unique<W>(std::forward<Args>(args)..., parent).release();
}

const char* const kSystemColorNames[kSysColorCount] = {
    "Scroll Bars", "Desktop", "Active Title Bar", "Inactive Title Bar", "Menu Bar", "Window Background",
    "Window Frame", "Menu Text", "Window Text", "Active Title Bar Text", "Active Border",
    "Inactive Border", "Application Workspace", "Highlight", "Highlighted Text", "Button Face",
    "Button Shadow", "Disabled Text", "Button Text", "Inactive Title Bar Text", "Button Highlight",
    "Button Dark Shadow", "Button Light Shadow", "ToolTip Text", "ToolTip"};

// The class object of a stock page.
template <class Page>
class StockPageClass final : public com::Object<StockPageClass<Page>, IPropertyPageClass> {
public:
    std::unique_ptr<PropertyPage> CreatePage() override { return std::make_unique<Page>(); }
};

// The stock pages are served by this library from the moment it is loaded.
[[maybe_unused]] const bool kStockPagesServed = [] {
    com::RegisterProcessClass(kStockColorPageClsid, com::CreatorOf<StockPageClass<StockColorPage>>());
    com::RegisterProcessClass(kStockFontPageClsid, com::CreatorOf<StockPageClass<StockFontPage>>());
    com::RegisterProcessClass(kStockPicturePageClsid, com::CreatorOf<StockPageClass<StockPicturePage>>());
    return true;
}();

}  // namespace

// --- PropertySheet ---------------------------------------------------------------------------

PropertySheet::PropertySheet(const std::string& captionUtf8, std::vector<com::ComPtr<com::IDispatch>> objects,
                             QWidget* parent)
    : QDialog(parent), objects_(std::move(objects)) {
    setWindowTitle(QString::fromStdString(captionUtf8));
    setFont(DefaultQFont());   // the pages are laid out for the controls' default font
    auto* layout = Child<QVBoxLayout>(this);
    tabs_ = Child<QTabWidget>(this);
    layout->addWidget(tabs_);
    auto buttonRow = std::make_unique<QHBoxLayout>();
    QHBoxLayout* buttons = buttonRow.get();
    layout->addLayout(buttonRow.release());   // the dialog's layout owns it from here
    buttons->addStretch();
    ok_ = Child<QPushButton>(this, QStringLiteral("OK"));
    cancel_ = Child<QPushButton>(this, QStringLiteral("Cancel"));
    apply_ = Child<QPushButton>(this, QStringLiteral("&Apply"));
    help_ = Child<QPushButton>(this, QStringLiteral("Help"));
    for (QPushButton* b : {ok_, cancel_, apply_, help_}) buttons->addWidget(b);
    ok_->setDefault(true);
    apply_->setEnabled(false);
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (ApplyAll()) accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, [this] { ApplyAll(); });
    connect(help_, &QPushButton::clicked, this, [this] {
        if (PropertyPage* p = CurrentPage()) p->OnHelp();
    });
}

int PropertySheet::AddPagesOfClasses(const std::vector<com::Guid>& clsids) {
    int added = 0;
    for (const com::Guid& clsid : clsids)
        if (auto page = CreatePropertyPage(clsid)) {
            AddPage(std::move(page));
            ++added;
        }
    return added;
}

PropertyPage* PropertySheet::AddPage(std::unique_ptr<PropertyPage> page) {
    PropertyPage* p = page.get();
    tabs_->addTab(page.release(), QString::fromStdString(p->Caption()));
    p->SetModifiedListener([this](bool) { UpdateApply(); });
    p->SetObjects(objects_);
    return p;
}

int PropertySheet::PageCount() const { return tabs_->count(); }
PropertyPage* PropertySheet::Page(int index) const { return static_cast<PropertyPage*>(tabs_->widget(index)); }
PropertyPage* PropertySheet::CurrentPage() const { return static_cast<PropertyPage*>(tabs_->currentWidget()); }

void PropertySheet::UpdateApply() {
    bool any = false;
    for (int i = 0; i < PageCount(); ++i) any = any || Page(i)->IsModified();
    apply_->setEnabled(any);
}

bool PropertySheet::ApplyAll() {
    for (int i = 0; i < PageCount(); ++i) {
        PropertyPage* p = Page(i);
        if (!p->IsModified()) continue;
        if (!p->Apply()) {
            tabs_->setCurrentIndex(i);
            return false;
        }
    }
    UpdateApply();
    return true;
}

// --- StockColorPage --------------------------------------------------------------------------

StockColorPage::StockColorPage(std::vector<std::string> properties)
    : PropertyPage("Color", {}, 0), properties_(std::move(properties)), values_(properties_.size()) {
    auto* form = Child<QFormLayout>(this);
    property_ = Child<QComboBox>(this);
    system_ = Child<QComboBox>(this);
    value_ = Child<QLineEdit>(this);
    sample_ = Child<QFrame>(this);
    sample_->setFrameShape(QFrame::Box);
    sample_->setMinimumSize(64, 32);
    sample_->setAutoFillBackground(true);
    for (const std::string& p : properties_) property_->addItem(QString::fromStdString(p));
    for (const char* name : kSystemColorNames) system_->addItem(QString::fromLatin1(name));
    form->addRow(QStringLiteral("&Property Name:"), property_);
    form->addRow(QStringLiteral("&System Color:"), system_);
    form->addRow(QStringLiteral("&Value:"), value_);
    form->addRow(QStringLiteral("Sample:"), sample_);
    connect(property_, &QComboBox::currentIndexChanged, this, [this] { ShowSelected(); });
    connect(system_, &QComboBox::activated, this, [this](int index) {
        value_->setText(QString::number(0x80000000u | static_cast<unsigned>(index)));
        emit value_->textEdited(value_->text());
    });
    connect(value_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int i = property_->currentIndex();
        if (i < 0) return;
        bool ok = false;
        const std::uint32_t v = text.trimmed().toUInt(&ok);   // decimal digits only: no locale
        if (!ok) return;
        values_[static_cast<std::size_t>(i)] = {v, true};
        ShowColor(v);
        SetModifiedFlag(true);
    });
}

void StockColorPage::ShowSelected() {
    const int i = property_->currentIndex();
    if (i < 0) return;
    const std::uint32_t value = values_[static_cast<std::size_t>(i)].first;
    value_->setText(QString::number(value));
    ShowColor(value);
}

QColor StockColorPage::SampleColor() const { return sample_->palette().color(QPalette::Window); }

// The sample shows the colour as the controls paint it; a system colour is also named.
void StockColorPage::ShowColor(std::uint32_t value) {
    QPalette palette = sample_->palette();
    palette.setColor(QPalette::Window, ToQColor(TranslateColor(value)));
    sample_->setPalette(palette);
    const std::uint32_t index = value & 0x7FFFFFFFu;
    if ((value & 0x80000000u) != 0 && index < static_cast<std::uint32_t>(kSysColorCount))
        system_->setCurrentIndex(static_cast<int>(index));
}

void StockColorPage::OnLoadFields() {
    for (std::size_t i = 0; i < properties_.size(); ++i) {
        com::Variant v, n;
        if (ReadFrom(Objects().front().Get(), properties_[i], v) && com::Succeeded(com::ChangeType(n, v, com::VT_I4)))
            values_[i] = {static_cast<std::uint32_t>(n.AsI4()), false};
    }
    ShowSelected();
}

bool StockColorPage::OnApplyFields() {
    for (std::size_t i = 0; i < properties_.size(); ++i) {
        auto& [value, changed] = values_[i];
        if (!changed) continue;
        if (!WriteToAll(properties_[i], com::Variant::I4(static_cast<std::int32_t>(value)), value_)) return false;
        changed = false;
    }
    return true;
}

// --- StockFontPage ---------------------------------------------------------------------------

StockFontPage::StockFontPage(std::string property) : PropertyPage("Font", {}, 0), property_(std::move(property)) {
    auto* form = Child<QFormLayout>(this);
    name_ = Child<QLineEdit>(this);
    size_ = Child<QLineEdit>(this);
    form->addRow(QStringLiteral("&Font:"), name_);
    form->addRow(QStringLiteral("&Size:"), size_);
    for (auto [box, text] : {std::pair{&bold_, "&Bold"}, std::pair{&italic_, "&Italic"},
                             std::pair{&underline_, "&Underline"}, std::pair{&strike_, "Stri&keout"}}) {
        *box = Child<QCheckBox>(this, QString::fromLatin1(text));
        form->addRow(*box);
        connect(*box, &QCheckBox::toggled, this, [this] {
            SetModifiedFlag(true);
            ShowSample();
        });
    }
    sample_ = Child<QLabel>(this, QStringLiteral("AaBbYyZz"));
    sample_->setMinimumHeight(48);
    form->addRow(QStringLiteral("Sample:"), sample_);
    for (QLineEdit* e : {name_, size_})
        connect(e, &QLineEdit::textEdited, this, [this] {
            SetModifiedFlag(true);
            ShowSample();
        });
}

QFont StockFontPage::SampleFont() const { return sample_->font(); }

std::optional<com::Currency> StockFontPage::FieldSize() const {
    com::Variant size;
    if (com::Failed(com::ChangeType(size, com::Variant::Utf8(size_->text().toStdString()), com::VT_CY)) ||
        size.AsCy().scaled <= 0)
        return std::nullopt;
    return size.AsCy();
}

com::FontDesc StockFontPage::FieldsDesc(com::FontDesc base) const {
    base.name = ToAnsi(name_->text());
    if (const auto size = FieldSize()) base.size = *size;
    base.bold = bold_->isChecked();
    base.weight = base.bold ? 700 : 400;
    base.italic = italic_->isChecked();
    base.underline = underline_->isChecked();
    base.strikethrough = strike_->isChecked();
    return base;
}

// The sample is drawn as the controls draw the font (its face mapped to an installed one); a
// size that is no number keeps the last sample's size.
void StockFontPage::ShowSample() {
    sampleDesc_ = FieldsDesc(sampleDesc_);
    sample_->setFont(ToQFont(sampleDesc_));
}

void StockFontPage::OnLoadFields() {
    com::Variant font;
    if (!ReadFrom(Objects().front().Get(), property_, font) || font.BaseType() != com::VT_DISPATCH) return;
    const auto desc = FontDescOf(font.AsDispatch());
    if (!desc) return;
    name_->setText(FromAnsi(desc->name));
    com::Variant size;
    if (com::Succeeded(com::ChangeType(size, com::Variant::Cy(desc->size), com::VT_BSTR)))
        size_->setText(QString::fromStdString(size.AsStr().ToUtf8()));
    bold_->setChecked(desc->bold);
    italic_->setChecked(desc->italic);
    underline_->setChecked(desc->underline);
    strike_->setChecked(desc->strikethrough);
    ShowSample();
}

bool StockFontPage::OnApplyFields() {
    if (!FieldSize()) {
        ShowError(size_, "Invalid property value");
        return false;
    }
    const com::FontDesc desc = FieldsDesc(com::FontDesc{});
    for (const auto& object : Objects()) {
        com::Variant font;
        if (!ReadFrom(object.Get(), property_, font) || font.BaseType() != com::VT_DISPATCH) continue;
        com::IDispatch* f = font.AsDispatch();
        // The whole description at once through a font of this process (one change, one
        // notification), else attribute by attribute.
        if (auto* own = dynamic_cast<FontObject*>(f)) {
            own->SetDesc(desc);
            continue;
        }
        const std::pair<com::DispId, com::Variant> puts[] = {
            {DISPID_FONT_NAME, com::Variant::Str(com::Bstr::FromAnsi(desc.name))},
            {DISPID_FONT_SIZE, com::Variant::Cy(desc.size)},
            {DISPID_FONT_BOLD, com::Variant::Bool(desc.bold)},
            {DISPID_FONT_ITALIC, com::Variant::Bool(desc.italic)},
            {DISPID_FONT_UNDER, com::Variant::Bool(desc.underline)},
            {DISPID_FONT_STRIKE, com::Variant::Bool(desc.strikethrough)}};
        for (const auto& [id, v] : puts) {
            com::DispParams params{{v}};
            f->Invoke(id, com::DISPATCH_PROPERTYPUT, params, nullptr, nullptr, nullptr);
        }
    }
    return true;
}

// --- StockPicturePage ------------------------------------------------------------------------

StockPicturePage::StockPicturePage(std::vector<std::string> properties)
    : PropertyPage("Picture", {}, 0), properties_(std::move(properties)) {
    auto* form = Child<QFormLayout>(this);
    property_ = Child<QComboBox>(this);
    path_ = Child<QLineEdit>(this);
    clear_ = Child<QPushButton>(this, QStringLiteral("&Clear"));
    for (const std::string& p : properties_) property_->addItem(QString::fromStdString(p));
    form->addRow(QStringLiteral("&Property Name:"), property_);
    form->addRow(QStringLiteral("&File:"), path_);
    form->addRow(clear_);
    connect(path_, &QLineEdit::textEdited, this, [this] {
        cleared_ = false;
        SetModifiedFlag(true);
    });
    connect(clear_, &QPushButton::clicked, this, [this] {
        path_->clear();
        cleared_ = true;
        SetModifiedFlag(true);
    });
}

bool StockPicturePage::OnApplyFields() {
    const int i = property_->currentIndex();
    if (i < 0) return true;
    com::PictureData data;
    if (!cleared_) {
        QFile file(path_->text());
        if (!file.open(QIODevice::ReadOnly)) {
            ShowError(path_, "File not found");
            return false;
        }
        const QByteArray bytes = file.readAll();
        data.bytes.assign(bytes.begin(), bytes.end());
        const QString lower = path_->text().toLower();
        data.type = lower.endsWith(".ico") || lower.endsWith(".cur") ? com::PictureType::Icon : com::PictureType::Bitmap;
    }
    const auto picture = PictureObject::Create(std::move(data));
    const com::Variant value = com::Variant::Dispatch(com::ComPtr<com::IDispatch>(picture.Get()));
    if (!WriteToAll(properties_[static_cast<std::size_t>(i)], value, path_, true)) return false;
    cleared_ = false;
    return true;
}

}  // namespace ctl
