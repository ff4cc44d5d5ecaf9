#include "platform/ctl/control.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "platform/ctl/caret.h"
#include "platform/ctl/draw.h"
#include "platform/ctl/keys.h"
#include "platform/ctl/property_sheet.h"
#include "platform/ctl/services.h"

namespace ctl {

namespace {

const ResourceTable& EmptyResources() {
    static const ResourceTable table;
    return table;
}

}  // namespace

ControlBase::ControlBase(const ControlClassInfo& info)
    : info_(info), events_(info.eventIid), font_(FontObject::Create()) {
    font_->SetListener([this] {
        SetModifiedFlag();
        OnFontChanged();
        BoundPropertyChanged(com::DISPID_FONT);
    });
}

ControlBase::~ControlBase() {
    font_->SetListener(nullptr);
    if (window_) {
        window_->Detach();
        window_.reset();
    }
}

// --- Drawing ---------------------------------------------------------------------------------

void ControlBase::OnDraw(QPainter& painter, const Rect&, const Rect& invalid) {
    FillRect(painter, invalid, TranslateColor(backColor_));
}

void ControlBase::OnDrawMetafile(QPainter& painter, const Rect& bounds) {
    if (bounds.IsEmpty()) return;
    QImage image(bounds.Width(), bounds.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter into(&image);
        into.setFont(CurrentFont());
        const Rect local{0, 0, bounds.Width(), bounds.Height()};
        if (AmbientUserMode()) OnEraseBackground(into, local);
        OnDraw(into, local, local);
    }
    painter.drawImage(bounds.ToQt(), image);
}

void ControlBase::DrawInto(QPainter& painter, const Rect& bounds) {
    painter.save();
    painter.setFont(CurrentFont());
    OnDrawMetafile(painter, bounds);
    painter.restore();
}

void ControlBase::InvalidateControl(const Rect* r) {
    if (!window_) return;
    if (r) window_->update(r->ToQt());
    else window_->update();
}

void ControlBase::OnEraseBackground(QPainter& painter, const Rect& invalid) {
    FillRect(painter, invalid, TranslateColor(backColor_));
}

void ControlBase::OnPaint(QPainter& painter, const Rect& bounds, const Rect& invalid) {
    painter.setFont(CurrentFont());
    OnDraw(painter, bounds, invalid);
}

// --- Events ----------------------------------------------------------------------------------

void ControlBase::FireEvent(DispId id, std::vector<Variant> args) { events_.FireEvent(id, std::move(args)); }
void ControlBase::FireClick() { FireEvent(com::DISPID_CLICK); }
void ControlBase::FireDblClick() { FireEvent(com::DISPID_DBLCLICK); }

void ControlBase::FireKeyDown(std::int16_t& key, std::int16_t shift) {
    FireEvent(com::DISPID_KEYDOWN, {Variant::RefI2(&key), Variant::I2(shift)});
}

void ControlBase::FireKeyUp(std::int16_t& key, std::int16_t shift) {
    FireEvent(com::DISPID_KEYUP, {Variant::RefI2(&key), Variant::I2(shift)});
}

void ControlBase::FireKeyPress(std::int16_t& ch) { FireEvent(com::DISPID_KEYPRESS, {Variant::RefI2(&ch)}); }

void ControlBase::FireMouseDown(std::int16_t button, std::int16_t shift, std::int32_t x, std::int32_t y) {
    FireEvent(com::DISPID_MOUSEDOWN, {Variant::I2(button), Variant::I2(shift), Variant::I4(x), Variant::I4(y)});
}

void ControlBase::FireMouseUp(std::int16_t button, std::int16_t shift, std::int32_t x, std::int32_t y) {
    FireEvent(com::DISPID_MOUSEUP, {Variant::I2(button), Variant::I2(shift), Variant::I4(x), Variant::I4(y)});
}

void ControlBase::FireMouseMove(std::int16_t button, std::int16_t shift, std::int32_t x, std::int32_t y) {
    FireEvent(com::DISPID_MOUSEMOVE, {Variant::I2(button), Variant::I2(shift), Variant::I4(x), Variant::I4(y)});
}

// --- Errors ----------------------------------------------------------------------------------

void ControlBase::ThrowError(HResult scode, int stringId, std::uint32_t helpContext) const {
    com::ThrowError(scode, Resources().LoadStringUtf8(stringId), helpContext, info_.helpFile);
}

void ControlBase::SetNotSupported() { com::ThrowError(com::CTL_E_SETNOTSUPPORTED); }
void ControlBase::GetNotSupported() { com::ThrowError(com::CTL_E_GETNOTSUPPORTED); }

// --- Persistence -----------------------------------------------------------------------------

void ControlBase::DoPropExchange(com::PropExchange& px) {
    ExchangeExtent(px);
    ExchangeStockProps(px);
}

void ControlBase::ExchangeExtent(com::PropExchange& px) {
    std::int32_t width = size_.width(), height = size_.height();
    com::PX_Long(px, "_ExtentX", width, width);
    com::PX_Long(px, "_ExtentY", height, height);
    if (px.IsLoading() && width > 0 && height > 0) SetControlSize(QSize(width, height));
}

// A property set of the controls' older format keeps its font as separate properties (FontName,
// FontSize, FontBold, FontItalic, FontStrikethru, FontUnderline); each one present replaces that
// attribute of `desc`. A size that is not above zero is no size.
void ControlBase::ConvertOldFormatFont(com::PropExchange& px, com::FontDesc& desc) {
    com::PX_String(px, "FontName", desc.name);
    com::Currency size = desc.size;
    if (com::PX_Currency(px, "FontSize", size) && size.scaled > 0) desc.size = size;
    if (com::PX_Bool(px, "FontBold", desc.bold)) desc.weight = desc.bold ? 700 : 400;
    com::PX_Bool(px, "FontItalic", desc.italic);
    com::PX_Bool(px, "FontStrikethru", desc.strikethrough);
    com::PX_Bool(px, "FontUnderline", desc.underline);
}

void ControlBase::ExchangeStockProps(com::PropExchange& px) {
    if (HasStockProperty(kStockBackColor)) com::PX_Color(px, "BackColor", backColor_, AmbientBackColor());
    if (HasStockProperty(kStockForeColor)) com::PX_Color(px, "ForeColor", foreColor_, AmbientForeColor());
    if (HasStockProperty(kStockEnabled)) com::PX_Bool(px, "Enabled", enabled_, true);
    if (HasStockProperty(kStockFont)) {
        com::FontDesc desc = font_->Desc();
        com::PX_Font(px, "Font", desc, AmbientFont());
        if (px.IsOldFormat()) ConvertOldFormatFont(px, desc);
        if (px.IsLoading()) font_->SetDesc(desc);
    }
    if (HasStockProperty(kStockBorderStyle)) com::PX_Short(px, "BorderStyle", borderStyle_, std::int16_t{0});
    if (HasStockProperty(kStockText)) com::PX_String(px, "Text", text_, std::string());
    else if (HasStockProperty(kStockCaption)) com::PX_String(px, "Caption", text_, std::string());
    if (px.IsLoading() && window_) window_->setEnabled(enabled_);
}

void ControlBase::OnResetState() {
    const com::PropertyBag empty;
    com::PropExchange px = com::PropExchange::ForLoad(empty);
    DoPropExchange(px);
}

HResult ControlBase::LoadProperties(const com::PropertyBag& bag) {
    com::PropExchange px = com::PropExchange::ForLoad(bag);
    DoPropExchange(px);
    SetModifiedFlag(false);
    InvalidateControl();
    return com::S_OK;
}

HResult ControlBase::SaveProperties(com::PropertyBag* bag, bool clearDirty) {
    if (!bag) return com::E_POINTER;
    com::PropExchange px = com::PropExchange::ForSave(*bag);
    DoPropExchange(px);
    if (clearDirty) SetModifiedFlag(false);
    return com::S_OK;
}

HResult ControlBase::ResetProperties() {
    OnResetState();
    SetModifiedFlag(false);
    InvalidateControl();
    return com::S_OK;
}

// --- Ambients --------------------------------------------------------------------------------

void ControlBase::SetSite(ComPtr<IClientSite> site) { site_ = std::move(site); }

std::optional<Variant> ControlBase::GetAmbient(DispId id) const {
    if (!site_) return std::nullopt;
    Variant v;
    if (com::Failed(site_->GetAmbientProperty(id, &v))) return std::nullopt;
    return v;
}

bool ControlBase::AmbientUserMode() const {
    Variant b;
    const auto v = GetAmbient(com::DISPID_AMBIENT_USERMODE);
    if (!v || com::Failed(com::ChangeType(b, *v, com::VT_BOOL))) return true;
    return b.AsBool();
}

std::string ControlBase::AmbientDisplayName() const {
    Variant s;
    const auto v = GetAmbient(com::DISPID_AMBIENT_DISPLAYNAME);
    if (!v || com::Failed(com::ChangeType(s, *v, com::VT_BSTR))) return {};
    return s.AsStr().ToAnsi();
}

namespace {

com::OleColor AmbientColor(const std::optional<Variant>& v, std::uint32_t fallback) {
    Variant i;
    if (!v || com::Failed(com::ChangeType(i, *v, com::VT_I4))) return {fallback};
    return {static_cast<std::uint32_t>(i.AsI4())};
}

}  // namespace

com::OleColor ControlBase::AmbientBackColor() const {
    return AmbientColor(GetAmbient(com::DISPID_AMBIENT_BACKCOLOR), 0x80000005u);
}

com::OleColor ControlBase::AmbientForeColor() const {
    return AmbientColor(GetAmbient(com::DISPID_AMBIENT_FORECOLOR), 0x80000008u);
}

com::FontDesc ControlBase::AmbientFont() const {
    const auto v = GetAmbient(com::DISPID_AMBIENT_FONT);
    if (v && v->BaseType() == com::VT_DISPATCH)
        if (auto desc = FontDescOf(v->AsDispatch())) return *desc;
    return DefaultFontDesc();
}

ComPtr<com::IDispatch> ControlBase::GetExtendedControl() const {
    ComPtr<com::IDispatch> extender;
    if (site_) site_->GetExtendedControl(extender.Put());
    return extender;
}

std::vector<ComPtr<com::IUnknown>> ControlBase::ContainerObjects() const {
    std::vector<ComPtr<com::IUnknown>> out;
    ComPtr<IControlContainer> container;
    if (site_ && com::Succeeded(site_->GetContainer(container.Put())) && container)
        container->EnumObjects(&out);
    return out;
}

// --- Stock properties ------------------------------------------------------------------------

void ControlBase::SetBackColor(com::OleColor c) {
    ChangeProperty(com::DISPID_BACKCOLOR, [&] { backColor_ = c; }, [this] { OnBackColorChanged(); });
}

void ControlBase::SetForeColor(com::OleColor c) {
    ChangeProperty(com::DISPID_FORECOLOR, [&] { foreColor_ = c; }, [this] { OnForeColorChanged(); });
}

void ControlBase::SetEnabled(bool enabled) {
    ChangeProperty(
        com::DISPID_ENABLED,
        [&] {
            enabled_ = enabled;
            if (window_) window_->setEnabled(enabled);
        },
        [this] { OnEnabledChanged(); });
}

std::int32_t ControlBase::GetHwnd() const { return window_ ? window_->Handle() : 0; }

void ControlBase::SetBorderStyle(std::int16_t style) {
    if (style != 0 && style != 1) com::ThrowError(com::CTL_E_INVALIDPROPERTYVALUE);
    ChangeProperty(com::DISPID_BORDERSTYLE, [&] { borderStyle_ = style; }, [this] { OnBorderStyleChanged(); });
}

void ControlBase::SetText(std::string cp1252) {
    const DispId id = HasStockProperty(kStockText) ? com::DISPID_TEXT : com::DISPID_CAPTION;
    ChangeProperty(id, [&] { text_ = std::move(cp1252); }, [this] { OnTextChanged(); });
}

namespace detail {

com::Variant ColorVariant(com::OleColor c) { return com::Variant::I4(static_cast<std::int32_t>(c.value)); }
com::OleColor ColorOfVariant(const com::Variant& v) { return {static_cast<std::uint32_t>(v.AsI4())}; }
com::Variant TextVariant(const std::string& cp1252) { return com::Variant::Str(com::Bstr::FromAnsi(cp1252)); }
std::string TextOfVariant(const com::Variant& v) { return v.AsStr().ToAnsi(); }

void PutFont(ControlBase& control, const com::Variant& v) {
    const auto desc = FontDescOf(v.AsDispatch());
    if (!desc) com::ThrowError(com::CTL_E_INVALIDPROPERTYVALUE);
    control.SetFontDesc(*desc);
}

}  // namespace detail

// --- Size and window -------------------------------------------------------------------------

bool ControlBase::SetControlSize(QSize size) {
    if (size.width() < 0 || size.height() < 0) return false;
    if (!OnSetExtent(size)) return false;
    size_ = size;
    if (window_ && window_->size() != size) window_->resize(size);
    SetModifiedFlag();
    return true;
}

Rect ControlBase::GetRectInContainer() const {
    if (window_) return Rect::FromQt(window_->geometry());
    return {0, 0, size_.width(), size_.height()};
}

HResult ControlBase::CreateWindowIn(QWidget* parent, const Rect& rect) {
    if (window_) return com::E_UNEXPECTED;
    window_ = std::make_unique<ControlWindow>(this, parent);
    if (!rect.IsEmpty()) size_ = QSize(rect.Width(), rect.Height());
    window_->setGeometry(QRect(rect.left, rect.top, size_.width(), size_.height()));
    window_->setEnabled(enabled_);
    window_->show();
    return com::S_OK;
}

HResult ControlBase::DestroyWindow() {
    if (!window_) return com::S_FALSE;
    window_->Detach();
    window_.reset();
    return com::S_OK;
}

void ControlBase::OnWindowDestroyed() {
    // The parent is deleting the window: it is not ours to delete any more.
    (void)window_.release();
}

bool ControlBase::HasFocus() const { return window_ && window_->hasFocus(); }

bool ControlBase::CreateCaret(int width, int height) {
    return window_ && Caret::Instance().Create(window_.get(), width, height);
}
bool ControlBase::SetCaretPos(int x, int y) { return window_ && Caret::Instance().SetPos(window_.get(), x, y); }
bool ControlBase::ShowCaret() { return window_ && Caret::Instance().Show(window_.get()); }
bool ControlBase::HideCaret() { return window_ && Caret::Instance().Hide(window_.get()); }
bool ControlBase::DestroyCaret() { return window_ && Caret::Instance().Destroy(window_.get()); }

bool ControlBase::SetTimer(int id, int milliseconds) {
    if (!window_) return false;
    window_->SetTimer(id, milliseconds);
    return true;
}

bool ControlBase::KillTimer(int id) { return window_ && window_->KillTimer(id); }
void ControlBase::SetCapture() {
    if (window_) window_->SetCapture();
}
void ControlBase::ReleaseCapture() {
    if (window_) window_->ReleaseCapture();
}
bool ControlBase::HasCapture() const { return window_ && window_->HasCapture(); }
void ControlBase::SetCursorShape(const std::optional<QCursor>& cursor) {
    if (window_) window_->SetCursorShape(cursor);
}

int ControlBase::TrackPopupMenu(const std::vector<MenuItem>& items, QPoint clientPoint) {
    if (!window_) return 0;
    return ctl::TrackPopupMenu(window_.get(), items, window_->mapToGlobal(clientPoint));
}

const ResourceTable& ControlBase::Resources() const {
    return info_.resources ? *info_.resources : EmptyResources();
}

// --- Default message handling ----------------------------------------------------------------

std::int16_t ControlBase::MouseShift(int flags) {
    int shift = 0;
    if (flags & MK_SHIFT) shift |= kShiftMask;
    if (flags & MK_CONTROL) shift |= kCtrlMask;
    if (QGuiApplication::keyboardModifiers() & Qt::AltModifier) shift |= kAltMask;
    return static_cast<std::int16_t>(shift);
}

// The system-key handlers fire the same stock events, not through the (overridable) key
// handlers: a control that handles KeyDown itself still gets the stock event for Alt keys.
void ControlBase::StockKeyEvent(bool down, int key, int shift) {
    if (!HasStockEvent(down ? kEventKeyDown : kEventKeyUp)) return;
    auto code = static_cast<std::int16_t>(key);
    if (down) FireKeyDown(code, static_cast<std::int16_t>(shift));
    else FireKeyUp(code, static_cast<std::int16_t>(shift));
}

void ControlBase::OnKeyDown(int key, int shift) { StockKeyEvent(true, key, shift); }
void ControlBase::OnSysKeyDown(int key, int shift) { StockKeyEvent(true, key, shift); }
void ControlBase::OnKeyUp(int key, int shift) { StockKeyEvent(false, key, shift); }
void ControlBase::OnSysKeyUp(int key, int shift) { StockKeyEvent(false, key, shift); }

void ControlBase::OnChar(unsigned char ch) {
    if (!HasStockEvent(kEventKeyPress)) return;
    auto code = static_cast<std::int16_t>(ch);
    FireKeyPress(code);
}

void ControlBase::OnSetFocus() {
    if (site_) site_->OnFocus(true);
}

void ControlBase::OnKillFocus(QWidget*, bool) {
    if (site_) site_->OnFocus(false);
}

void ControlBase::OnButtonDown(int button, int flags, QPoint p) {
    if (buttonsDown_ == 0) SetCapture();
    buttonsDown_ |= button;
    if (HasStockEvent(kEventMouseDown))
        FireMouseDown(static_cast<std::int16_t>(button), MouseShift(flags), p.x(), p.y());
}

void ControlBase::OnButtonUp(int button, int flags, QPoint p) {
    if (HasStockEvent(kEventMouseUp))
        FireMouseUp(static_cast<std::int16_t>(button), MouseShift(flags), p.x(), p.y());
    const bool pressedHere = (buttonsDown_ & button) != 0;
    const bool endsDoubleClick = (doubleClicked_ & button) != 0;
    buttonsDown_ &= ~button;
    doubleClicked_ &= ~button;
    if (buttonsDown_ == 0) ReleaseCapture();
    if (pressedHere && !endsDoubleClick && GetClientRect().Contains(p) && HasStockEvent(kEventClick))
        FireClick();
}

void ControlBase::OnButtonDblClk(int button, int, QPoint) {
    if (buttonsDown_ == 0) SetCapture();
    buttonsDown_ |= button;
    doubleClicked_ |= button;
    if (button == 1 && HasStockEvent(kEventDblClick)) FireDblClick();
}

void ControlBase::OnMouseMove(int flags, QPoint p) {
    if (!HasStockEvent(kEventMouseMove)) return;
    int buttons = 0;
    if (flags & MK_LBUTTON) buttons |= 1;
    if (flags & MK_RBUTTON) buttons |= 2;
    if (flags & MK_MBUTTON) buttons |= 4;
    FireMouseMove(static_cast<std::int16_t>(buttons), MouseShift(flags), p.x(), p.y());
}

void ControlBase::OnResize(QSize size) {
    if (size == size_) return;
    size_ = size;
    OnSetExtent(size);
}

// --- Per-property browsing helpers -------------------------------------------------------------

namespace {
const char* const kBorderStyleNames[] = {"None", "Fixed Single"};
}  // namespace

bool ControlBase::StockPropertyPage(DispId id, DispId pictureId, Guid& page) {
    if (id == pictureId) page = kStockPicturePageClsid;
    else if (id == com::DISPID_BACKCOLOR || id == com::DISPID_FORECOLOR) page = kStockColorPageClsid;
    else if (id == com::DISPID_FONT) page = kStockFontPageClsid;
    else return false;
    return true;
}

bool ControlBase::BorderStyleDisplayString(std::int16_t value, std::string& text) {
    text = kBorderStyleNames[value == 0 ? 0 : 1];
    return true;
}

void ControlBase::BorderStyleStrings(std::vector<std::string>& texts, std::vector<std::uint32_t>& cookies) {
    for (std::uint32_t i = 0; i < 2; ++i) {
        texts.emplace_back(kBorderStyleNames[i]);
        cookies.push_back(i);
    }
}

bool ControlBase::BorderStyleValue(std::uint32_t cookie, Variant& value) {
    if (cookie > 1) return false;
    value = Variant::I2(static_cast<std::int16_t>(cookie));
    return true;
}

}  // namespace ctl
