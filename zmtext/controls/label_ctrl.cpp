#include "zmtext/controls/label_ctrl.h"

#include <QWidget>

#include "platform/ctl/cursors.h"
#include "platform/ctl/draw.h"
#include "platform/ctl/keys.h"
#include "platform/ctl/services.h"
#include "platform/win/cp1252.h"
#include "zmtext/engine/font_members.h"
#include "zmtext/module/about.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"
#include "zmtext/module/zmtextlib.h"

namespace zmtext {
namespace {

using com::Variant;
using Table = com::DispatchTable<CZMLabelCtrl>;
using Args = Table::Args;

constexpr std::uint32_t kPropertySetVersion = 0x00040001;
constexpr std::uint32_t kDefaultChiselColor = 0xFFFFFF;
constexpr ctl::ColorRef kEdgeLight = 0xFFFFFF;
constexpr ctl::ColorRef kEdgeDark = ctl::Rgb(0x82, 0x82, 0x82);
constexpr ctl::ColorRef kFrame = 0x000000;
constexpr ctl::ColorRef kTextureSet = ctl::Rgb(0xC0, 0xC0, 0xC0);
constexpr ctl::ColorRef kTextureClear = 0xFFFFFF;
// The texture: a white dot at every second pixel of every second row on light grey.
constexpr ctl::Pattern8 kTextureRows{0xAA, 0xFF, 0xAA, 0xFF, 0xAA, 0xFF, 0xAA, 0xFF};

std::string TextOf(const Variant& v) {
    Variant s;
    if (com::Failed(com::ChangeType(s, v, com::VT_BSTR))) return {};
    return s.AsStr().ToAnsi();
}

// WordWrap as the setter judges it: True and False as 1 and 0, any other value as its number
// (2 is no BOOL and is refused); a value that is no number at all counts as 2.
std::int32_t WordWrapOf(const Variant& v) {
    if (v.BaseType() == com::VT_BOOL) return v.AsBool() ? 1 : 0;
    Variant n;
    return com::Succeeded(com::ChangeType(n, v, com::VT_I4)) ? n.AsI4() : 2;
}

// The label refuses a font size of zero or less, and raises a bare error.
constexpr ZMFontRules kLabelFontRules{.positiveSizeOnly = true, .controlError = false};

// The font members at the label's own DISPIDs.
template <com::DispId id>
com::DispId LabelId(const CZMLabelCtrl&) {
    return id;
}

void AddCaption(Table& t, const char* name, com::DispId id) {
    t.Property(name, com::VT_BSTR, {}, [](CZMLabelCtrl& c, Args) { return ctl::detail::TextVariant(c.GetCaption()); },
               [](CZMLabelCtrl& c, Args, const Variant& v) { c.SetCaption(TextOf(v)); }, id);
}

Table BuildTable() {
    using C = CZMLabelCtrl;
    Table t(std::string(ZMControlClass(ZMControlKind::Label).progId));
    t.Property("ChiselColor", com::VT_I4, {}, [](C& c, Args) { return ctl::detail::ColorVariant(c.GetChiselColor()); },
               [](C& c, Args, const Variant& v) { c.SetChiselColor(ctl::detail::ColorOfVariant(v)); });
    using Fonts = ZMFontMembers<C>;
    Fonts::AddFontName(t, LabelId<kLabelFontName>);
    Fonts::AddFontFlag(t, ZMFontFlag::Bold, LabelId<kLabelFontBold>);
    Fonts::AddFontFlag(t, ZMFontFlag::Italic, LabelId<kLabelFontItalic>);
    Fonts::AddFontFlag(t, ZMFontFlag::StrikeThru, LabelId<kLabelFontStrikeThru>);
    Fonts::AddFontFlag(t, ZMFontFlag::Underline, LabelId<kLabelFontUnderline>);
    Fonts::AddFontSize(t, kLabelFontRules, LabelId<kLabelFontSize>);
    t.Property("Alignment", &C::GetAlignment, &C::SetAlignment)
        .Property("BackgroundStyle", &C::GetBackgroundStyle, &C::SetBackgroundStyle)
        .Property("BorderEffect", &C::GetBorderEffect, &C::SetBorderEffect)
        .Property("BorderStyle", &C::GetLabelBorderStyle, &C::SetLabelBorderStyle, com::DISPID_BORDERSTYLE)
        .Property("ChiselText", &C::GetChiselText, &C::SetChiselText)
        .Property("LabelStyle", &C::GetLabelStyle, &C::SetLabelStyle)
        .Property("MousePointer", &C::GetMousePointer, &C::SetMousePointer)
        .Property("MouseIcon", com::VT_DISPATCH, {},
                  [](C& c, Args) {
                      return Variant::Dispatch(com::ComPtr<com::IDispatch>(ctl::PictureObject::Create(c.GetMouseIcon()).Get()));
                  },
                  [](C& c, Args, const Variant& v) { c.SetMouseIcon(v); })
        .Property("WordWrap", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.GetWordWrap()); },
                  [](C& c, Args, const Variant& v) { c.SetWordWrap(WordWrapOf(v)); })
        .ReadOnly("HdnHeight", &C::GetHdnHeight)
        .ReadOnly("HdnWidth", &C::GetHdnWidth);
    AddCaption(t, "Caption", com::DISPID_CAPTION);
    AddCaption(t, "_Caption", com::DISPID_VALUE);
    ctl::AddStockMembers(t, ctl::kStockEnabled | ctl::kStockFont | ctl::kStockBackColor | ctl::kStockForeColor |
                                ctl::kStockHwnd | ctl::kStockAboutBox);
    return t;
}

QSize InitialSizeFromDefaults() {
    const CZMDefaultsStore* store = ZMDefaults();
    if (!store) return {};
    const int width = store->GetInt(kKindLabel, kLabelKeyWidth, 0);
    const int height = store->GetInt(kKindLabel, kLabelKeyHeight, 0);
    if (width <= 0 || height <= 0) return {};
    return {width, height};
}

const ctl::ControlClassInfo& LabelClass() {
    static const ctl::ControlClassInfo info = [] {
        const ZMControlClassInfo& ids = ZMControlClass(ZMControlKind::Label);
        ctl::ControlClassInfo c;
        c.clsid = ids.clsid;
        c.dispIid = ids.dispatchIid;
        c.eventIid = ids.eventIid;
        // Caption is kept and persisted as the base's text; the label's own BorderStyle (with
        // its own default and error) is not the stock one.
        c.stockProperties = ctl::kStockBackColor | ctl::kStockForeColor | ctl::kStockEnabled | ctl::kStockHwnd |
                            ctl::kStockFont | ctl::kStockCaption | ctl::kStockAboutBox;
        c.stockEvents = ctl::kEventClick | ctl::kEventDblClick | ctl::kEventMouseDown | ctl::kEventMouseMove |
                        ctl::kEventMouseUp;
        c.miscStatus = ids.miscStatus;
        c.propertyPages = ZMPropertyPageList({"CZMLabelPropPage"});
        c.resources = &ZMResources();
        // The library's help file once it has started (the file alone before).
        c.helpFile = ZMHelpFilePath().empty() ? std::string(kZMHelpFile) : ZMHelpFilePath();
        return c;
    }();
    return info;
}

}  // namespace

// --- Construction --------------------------------------------------------------------------------

CZMLabelCtrl::CZMLabelCtrl()
    : Control(LabelClass()), texture_(ctl::MonochromePatternBrush(kTextureRows, kTextureSet, kTextureClear)) {
    if (const QSize size = InitialSizeFromDefaults(); !size.isEmpty()) SetInitialSize(size);
}

CZMLabelCtrl::~CZMLabelCtrl() = default;

const ctl::ControlClassInfo& CZMLabelCtrl::LabelClassInfo() { return LabelClass(); }

const com::DispatchMap& CZMLabelCtrl::DispatchMembers() {
    static const Table table = BuildTable();
    return table.Map();
}

std::vector<com::FuncDesc> CZMLabelCtrl::EventMembers() {
    return {{"Click", com::DISPID_CLICK, false, {}},         {"DblClick", com::DISPID_DBLCLICK, false, {}},
            {"MouseDown", com::DISPID_MOUSEDOWN, false, {}}, {"MouseMove", com::DISPID_MOUSEMOVE, false, {}},
            {"MouseUp", com::DISPID_MOUSEUP, false, {}},     {"Change", kLabelEventChange, false, {}}};
}

// --- Setters -------------------------------------------------------------------------------------

void CZMLabelCtrl::SetCaption(std::string cp1252) { SetText(std::move(cp1252)); }

void CZMLabelCtrl::OnTextChanged() {
    FireEvent(kLabelEventChange);
    if (ctl::IClientSite* site = ClientSite()) site->OnControlInfoChanged();
    Repaint();
}

void CZMLabelCtrl::SetShort(std::int16_t& member, std::int16_t value, std::int16_t max, com::HResult scode,
                            int stringId, com::DispId id, void (CZMLabelCtrl::*changed)()) {
    if (value < 0 || value > max) ThrowError(scode, stringId);
    ChangeProperty(id, [&] { member = value; }, [this, changed] { (this->*changed)(); });
}

void CZMLabelCtrl::SetAlignment(std::int16_t v) {
    SetShort(alignment_, v, 2, com::CTL_E_INVALIDPROPERTYVALUE, IDS_LABEL_ALIGNMENT, kLabelAlignment);
}

void CZMLabelCtrl::SetBackgroundStyle(std::int16_t v) {
    SetShort(backgroundStyle_, v, 2, com::CTL_E_INVALIDPROPERTYVALUE, IDS_LABEL_BACKGROUNDSTYLE,
             kLabelBackgroundStyle, &CZMLabelCtrl::ApplyTransparency);
}

void CZMLabelCtrl::SetBorderEffect(std::int16_t v) {
    SetShort(borderEffect_, v, 2, com::CTL_E_INVALIDPROPERTYVALUE, IDS_LABEL_BORDEREFFECT, kLabelBorderEffect);
}

void CZMLabelCtrl::SetLabelBorderStyle(std::int16_t v) {
    SetShort(borderStyle_, v, 1, com::CTL_E_INVALIDPROPERTYVALUE, IDS_LABEL_BORDERSTYLE, com::DISPID_BORDERSTYLE);
}

void CZMLabelCtrl::SetChiselText(std::int16_t v) {
    SetShort(chiselText_, v, 2, com::CTL_E_INVALIDPROPERTYVALUE, IDS_LABEL_CHISELTEXT, kLabelChiselText);
}

void CZMLabelCtrl::SetLabelStyle(std::int16_t v) {
    SetShort(labelStyle_, v, 2, com::CTL_E_INVALIDPROPERTYVALUE, IDS_LABEL_LABELSTYLE, kLabelLabelStyle);
}

void CZMLabelCtrl::SetMousePointer(std::int16_t v) {
    // The cursor changes at once, not at the next move of the mouse.
    SetShort(mousePointer_, v, ctl::kMousePointerMax, com::CTL_E_INVALIDPICTURE, IDS_LABEL_MOUSEPOINTER,
             kLabelMousePointer, &CZMLabelCtrl::OnSetCursor);
}

void CZMLabelCtrl::SetMouseIcon(const Variant& picture) {
    com::PictureData data;
    if (picture.BaseType() == com::VT_DISPATCH && picture.AsDispatch()) {
        const auto given = ctl::PictureDataOf(picture.AsDispatch());
        if (!given) ThrowError(com::CTL_E_INVALIDPROPERTYVALUE, IDS_LABEL_MOUSEICON);
        data = *given;
    } else if (picture.BaseType() != com::VT_DISPATCH && picture.BaseType() != com::VT_EMPTY) {
        ThrowError(com::CTL_E_INVALIDPROPERTYVALUE, IDS_LABEL_MOUSEICON);
    }
    if (data.type != com::PictureType::None && data.type != com::PictureType::Icon)
        ThrowError(com::CTL_E_INVALIDPICTURE, IDS_LABEL_MOUSEICON);
    ChangeProperty(kLabelMouseIcon, [&] { mouseIcon_ = std::move(data); }, [this] { OnSetCursor(); });
}

void CZMLabelCtrl::SetChiselColor(com::OleColor c) {
    ChangeProperty(kLabelChiselColor, [&] { chiselColor_ = c; }, [this] {
        if (chiselText_ != 0) Repaint();
    });
}

void CZMLabelCtrl::SetWordWrap(std::int32_t v) {
    if (v != 0 && v != 1) ThrowError(com::CTL_E_INVALIDPROPERTYVALUE, IDS_LABEL_WORDWRAP);
    ChangeProperty(kLabelWordWrap, [&] { wordWrap_ = v == 1; }, [this] { Repaint(); });
}

ZMLabelAccelerator CZMLabelCtrl::GetControlInfo() const {
    return {ctl::MnemonicOf(GetCaption()), true};
}

// --- Window, cursor, about box -------------------------------------------------------------------

com::HResult CZMLabelCtrl::CreateControlWindow(QWidget* parent, const ctl::Rect& rect) {
    const com::HResult hr = Control::CreateControlWindow(parent, rect);
    if (com::Succeeded(hr)) ApplyTransparency();
    return hr;
}

void CZMLabelCtrl::ApplyTransparency() {
    if (QWidget* w = Window()) w->setAttribute(Qt::WA_OpaquePaintEvent, !Transparent());
    Repaint();
}

void CZMLabelCtrl::Repaint() {
    InvalidateControl();
    QWidget* w = Window();
    if (Transparent() && w && w->parentWidget()) w->parentWidget()->update(w->geometry());
}

void CZMLabelCtrl::OnSetCursor() {
    std::optional<QCursor> icon;
    if (mousePointer_ == ctl::kMousePointerMax) icon = ctl::CursorOfPicture(mouseIcon_);
    SetCursorShape(mousePointer_ == 0 ? std::nullopt : ctl::CursorForPointer(mousePointer_, icon ? &*icon : nullptr));
}

void CZMLabelCtrl::OnAboutBox() { ZMShowAboutBox(Window(), ZMControlKind::Label); }

// --- Persistence and defaults --------------------------------------------------------------------

void CZMLabelCtrl::DoPropExchange(com::PropExchange& px) {
    px.ExchangeVersion(kPropertySetVersion);
    ControlBase::DoPropExchange(px);
    if (px.IsOldFormat()) {
        // The older format's font came with the stock properties; only BorderStyle carries over.
        std::int16_t style = 0;
        com::PX_Short(px, "BorderStyle", style, std::int16_t{0});
        borderStyle_ = style == 1 ? 1 : 0;
        return;
    }
    com::PX_Short(px, "BorderStyle", borderStyle_, std::int16_t{1});
    com::PX_Short(px, "Align", align_, std::int16_t{0});
    com::PX_Short(px, "Alignment", alignment_, std::int16_t{0});
    com::PX_Short(px, "BackgroundStyle", backgroundStyle_, std::int16_t{1});
    com::PX_Short(px, "BorderEffect", borderEffect_, std::int16_t{0});
    com::PX_Short(px, "ChiselText", chiselText_, std::int16_t{0});
    com::PX_Short(px, "LabelStyle", labelStyle_, std::int16_t{0});
    com::PX_Short(px, "MousePointer", mousePointer_, std::int16_t{0});
    com::PX_Picture(px, "MouseIcon", mouseIcon_, com::PictureData{});
    com::PX_Color(px, "ChiselColor", chiselColor_, com::OleColor{kDefaultChiselColor});
    com::PX_Bool(px, "WordWrap", wordWrap_, false);
    if (px.IsLoading()) ApplyTransparency();
}

void CZMLabelCtrl::OnResetState() {
    ControlBase::OnResetState();
    ResetFromDefaults();
    SetText(AmbientDisplayName());
}

namespace {

// A stored 16-bit value, or the built-in one when the file holds one out of the member's range.
std::int16_t StoredShort(const CZMDefaultsStore& store, int key, int fallback, int max) {
    const int v = store.GetInt(kKindLabel, key, fallback);
    return static_cast<std::int16_t>(v < 0 || v > max ? fallback : v);
}

com::OleColor StoredColor(const CZMDefaultsStore& store, int key, std::uint32_t fallback) {
    return {static_cast<std::uint32_t>(store.GetLong(kKindLabel, key, static_cast<std::int32_t>(fallback)))};
}

}  // namespace

void CZMLabelCtrl::ResetFromDefaults() {
    const CZMDefaultsStore* store = ZMDefaults();
    if (!store) return;
    const auto& s = *store;
    // The colours and the font go through the base (which keeps them); the reset that called
    // this clears the modified flag afterwards.
    SetBackColor(StoredColor(s, kLabelKeyBackColor, 0x80000005u));
    SetForeColor(StoredColor(s, kLabelKeyForeColor, 0x80000008u));
    align_ = StoredShort(s, kLabelKeyAlign, 0, 4);
    alignment_ = StoredShort(s, kLabelKeyAlignment, 0, 2);
    backgroundStyle_ = StoredShort(s, kLabelKeyBackgroundStyle, 1, 2);
    borderEffect_ = StoredShort(s, kLabelKeyBorderEffect, 0, 2);
    chiselColor_ = StoredColor(s, kLabelKeyChiselColor, kDefaultChiselColor);
    chiselText_ = StoredShort(s, kLabelKeyChiselText, 0, 2);
    labelStyle_ = StoredShort(s, kLabelKeyLabelStyle, 0, 2);
    mousePointer_ = StoredShort(s, kLabelKeyMousePointer, 0, ctl::kMousePointerMax);
    wordWrap_ = StoredShort(s, kLabelKeyWordWrap, 0, 1) == 1;
    borderStyle_ = StoredShort(s, kLabelKeyBorderStyle, 0, 1);
    com::FontDesc font = InternalGetFont().Desc();
    s.GetCString(kKindLabel, kLabelKeyFontName, &font.name, ZMLoadString(IDS_DEFAULT_FONT).value_or(""));
    Variant size;
    if (com::Succeeded(com::ChangeType(size, Variant::R4(s.GetFloat(kKindLabel, kLabelKeyFontSize, 8.0f)), com::VT_CY)) &&
        size.AsCy().scaled > 0)
        font.size = size.AsCy();
    font.bold = s.GetInt(kKindLabel, kLabelKeyFontBold, 0) != 0;
    font.weight = font.bold ? 700 : 400;
    font.italic = s.GetInt(kKindLabel, kLabelKeyFontItalic, 0) != 0;
    font.underline = s.GetInt(kKindLabel, kLabelKeyFontUnderline, 0) != 0;
    font.strikethrough = s.GetInt(kKindLabel, kLabelKeyFontStrikethru, 0) != 0;
    SetFontDesc(font);
    ApplyTransparency();
}

// --- Drawing -------------------------------------------------------------------------------------

void CZMLabelCtrl::OnEraseBackground(QPainter& p, const ctl::Rect& invalid) {
    if (!Transparent()) ctl::FillRect(p, invalid.Intersected(GetClientRect()), TranslateColor(GetBackColor()));
}

void CZMLabelCtrl::OnDraw(QPainter& p, const ctl::Rect& bounds, const ctl::Rect&) {
    ctl::Rect r = bounds;
    PaintBackground(p, r);
    if (borderEffect_ == 1 || borderEffect_ == 2) {
        const bool pop = borderEffect_ == 1;
        ctl::Draw3dEdge(p, r, pop ? kEdgeLight : kEdgeDark, pop ? kEdgeDark : kEdgeLight);
        r = r.Deflated(1);
    }
    if (borderStyle_ == 1) {
        ctl::FrameRect(p, r, kFrame);
        r = r.Deflated(1);
    }
    if (labelStyle_ == static_cast<std::int16_t>(ZMLabelStyle::HorzBump) ||
        labelStyle_ == static_cast<std::int16_t>(ZMLabelStyle::VertBump)) {
        PaintBump(p, r.Deflated(3));
        return;
    }
    if (!GetCaption().empty()) PaintCaption(p, r);
}

void CZMLabelCtrl::PaintBackground(QPainter& p, const ctl::Rect& r) const {
    if (backgroundStyle_ == static_cast<std::int16_t>(ZMBackgroundStyle::Normal)) {
        ctl::FillRect(p, r, TranslateColor(GetBackColor()));
    } else if (backgroundStyle_ == static_cast<std::int16_t>(ZMBackgroundStyle::Texture)) {
        p.save();
        ctl::FillRect(p, r, texture_);
        p.restore();
    }
}

void CZMLabelCtrl::PaintBump(QPainter& p, const ctl::Rect& r) const {
    if (labelStyle_ == static_cast<std::int16_t>(ZMLabelStyle::HorzBump)) {
        const int y = r.top + (r.bottom - r.top) / 2;
        ctl::DrawLine(p, {r.left, y}, {r.right, y}, kEdgeDark);
        ctl::DrawLine(p, {r.left, y + 1}, {r.right, y + 1}, kEdgeLight);
    } else {
        const int x = r.left + (r.right - r.left) / 2;
        ctl::DrawLine(p, {x, r.top}, {x, r.bottom}, kEdgeDark);
        ctl::DrawLine(p, {x + 1, r.top}, {x + 1, r.bottom}, kEdgeLight);
    }
}

void CZMLabelCtrl::PaintCaption(QPainter& p, const ctl::Rect& bounds) const {
    p.setFont(CurrentFont());
    ctl::Rect r{bounds.left + 1, bounds.top + 1, bounds.right, bounds.bottom};
    unsigned format = wordWrap_ ? (ctl::DT_WORDBREAK | ctl::DT_EXPANDTABS | ctl::DT_EXTERNALLEADING)
                                : (ctl::DT_SINGLELINE | ctl::DT_VCENTER);
    format |= static_cast<unsigned>(alignment_ == 1 ? ctl::DT_CENTER : alignment_ == 2 ? ctl::DT_RIGHT : ctl::DT_LEFT);
    const std::string& text = GetCaption();
    if (!GetEnabled()) {
        ctl::DrawTextIn(p, text, r, format, ctl::GetSysColor(ctl::COLOR_GRAYTEXT));
        return;
    }
    const ctl::ColorRef chisel = TranslateColor(chiselColor_);
    if (chiselText_ == 1) {
        ctl::DrawTextIn(p, text, {r.left + 1, r.top + 1, r.right, r.bottom}, format, chisel);
    } else if (chiselText_ == 2) {
        ctl::DrawTextIn(p, text, {r.left - 1, r.top - 1, r.right - 1, r.bottom - 1}, format, chisel);
    }
    ctl::DrawTextIn(p, text, r, format, TranslateColor(GetForeColor()));
}

// --- Class registration --------------------------------------------------------------------------

namespace {

const ZMClassRegistrar kLabelClass{ZMControlFactory{
    ZMControlKind::Label, com::CreatorOf<CZMLabelCtrl>(), ZMDescribeMembers(CZMLabelCtrl::DispatchMembers()),
    CZMLabelCtrl::EventMembers()}};

}  // namespace

}  // namespace zmtext
