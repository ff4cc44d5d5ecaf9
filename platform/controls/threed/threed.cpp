#include "platform/controls/threed/threed.h"

#include <QFrame>
#include <QPainter>
#include <QPushButton>
#include <memory>

#include "platform/controls/threed/control_object.h"
#include "platform/forms/colors.h"

namespace controls::threed {
namespace {

using com::Variant;

// Draws a panel: a raised bevel with its caption, or, once a percentage is set, a bar filled
// from the left with the percentage written across it.
class PanelWidget : public QFrame {
public:
    explicit PanelWidget(QWidget* parent) : QFrame(parent) {
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        setLineWidth(2);
        // A panel is opaque: what lies beneath it never shows through around its children.
        setAutoFillBackground(true);
    }

    QString caption;
    int percent = -1;   // -1: no percentage set, the caption shows

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        const QRect inside = contentsRect();
        if (percent < 0) {
            painter.drawText(inside, Qt::AlignCenter, caption);
            return;
        }
        QRect filled = inside;
        filled.setWidth(inside.width() * percent / 100);
        painter.fillRect(filled, palette().color(QPalette::Highlight));
        // The text is drawn twice, each time clipped to one part, so that it reads inverted over
        // the filled part and plain over the rest.
        const QString text = QString::number(percent) + QLatin1Char('%');
        painter.setClipRect(filled);
        painter.setPen(palette().color(QPalette::HighlightedText));
        painter.drawText(inside, Qt::AlignCenter, text);
        painter.setClipRect(QRect(filled.right() + 1, inside.top(), inside.right() - filled.right(), inside.height()));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(inside, Qt::AlignCenter, text);
    }
};

PanelWidget* MakePanel(QWidget* parent) {
    return std::make_unique<PanelWidget>(parent).release();   // the parent owns it
}

Variant Text(const std::string& text) { return Variant::Utf8(text); }
std::string Text(const Variant& value) { return value.AsStr().ToUtf8(); }

// Members every 3-D control has: Caption (-518) and Enabled (-514).
template <class Object>
void AddCommonMembers(com::DispatchTable<Object>& t) {
    using Args = typename com::DispatchTable<Object>::Args;
    t.Property(
        "Caption", com::VT_BSTR, {}, [](Object& o, Args) { return Text(o.Control().Caption()); },
        [](Object& o, Args, const Variant& v) { o.Control().SetCaption(Text(v)); }, com::DISPID_CAPTION);
    t.Property(
        "Enabled", com::VT_BOOL, {}, [](Object& o, Args) { return Variant::Bool(o.Control().Enabled()); },
        [](Object& o, Args, const Variant& v) { o.Control().SetEnabled(v.AsBool()); }, com::DISPID_ENABLED);
}

}  // namespace

class ButtonObject final : public ControlObject<ButtonObject, Button3D> {
public:
    explicit ButtonObject(Button3D& button) : ControlObject(button, "Button3D") {}
    static const com::DispatchMap& DispatchMembers() {
        static const com::DispatchTable<ButtonObject> table = [] {
            using Args = com::DispatchTable<ButtonObject>::Args;
            com::DispatchTable<ButtonObject> t("Button3D");
            AddCommonMembers(t);
            t.Property(
                "ForeColor", com::VT_VARIANT, {},
                [](ButtonObject& o, Args) { return ColorResult(o.Control().ForeColor()); },
                [](ButtonObject& o, Args, const Variant& v) { o.Control().SetForeColor(ColorArgument(v)); },
                com::DISPID_FORECOLOR);
            return t;
        }();
        return table.Map();
    }
};

class FrameObject final : public ControlObject<FrameObject, Frame3D> {
public:
    explicit FrameObject(Frame3D& frame) : ControlObject(frame, "Frame3D") {}
    static const com::DispatchMap& DispatchMembers() {
        static const com::DispatchTable<FrameObject> table = [] {
            com::DispatchTable<FrameObject> t("Frame3D");
            AddCommonMembers(t);
            return t;
        }();
        return table.Map();
    }
};

class PanelObject final : public ControlObject<PanelObject, Panel3D> {
public:
    explicit PanelObject(Panel3D& panel) : ControlObject(panel, "Panel3D") {}
    static const com::DispatchMap& DispatchMembers() {
        static const com::DispatchTable<PanelObject> table = [] {
            using Args = com::DispatchTable<PanelObject>::Args;
            com::DispatchTable<PanelObject> t("Panel3D");
            AddCommonMembers(t);
            t.Property(
                "FloodPercent", com::VT_I2, {},
                [](PanelObject& o, Args) {
                    return Variant::I2(static_cast<std::int16_t>(o.Control().FloodPercent()));
                },
                [](PanelObject& o, Args, const Variant& v) { o.Control().SetFloodPercent(v.AsI2()); }, 15);
            return t;
        }();
        return table.Map();
    }
};

// --- Button ------------------------------------------------------------------------------------

Button3D::Button3D(forms::Window& window, std::string name, QWidget* parent)
    : forms::CommandButton(window, std::move(name), parent), object_(ButtonObject::Create(*this)) {}
Button3D::~Button3D() { object_->Detach(); }
com::IDispatch* Button3D::Object() const { return object_.Get(); }

// --- Frame -------------------------------------------------------------------------------------

Frame3D::Frame3D(forms::Window& window, std::string name, QWidget* parent)
    : forms::Frame(window, std::move(name), parent), object_(FrameObject::Create(*this)) {}
Frame3D::~Frame3D() { object_->Detach(); }
com::IDispatch* Frame3D::Object() const { return object_.Get(); }

// --- Panel -------------------------------------------------------------------------------------

namespace {
PanelWidget& PanelOf(const Panel3D& panel) { return *static_cast<PanelWidget*>(panel.Widget()); }
constexpr long kInvalidPropertyValue = 380;
}  // namespace

Panel3D::Panel3D(forms::Window& window, std::string name, QWidget* parent)
    : forms::Control(window, std::move(name), MakePanel(parent)), object_(PanelObject::Create(*this)) {}
Panel3D::~Panel3D() { object_->Detach(); }
com::IDispatch* Panel3D::Object() const { return object_.Get(); }

std::string Panel3D::Caption() const { return PanelOf(*this).caption.toStdString(); }
void Panel3D::SetCaption(const std::string& caption) {
    PanelOf(*this).caption = QString::fromStdString(caption);
    Widget()->update();
}

int Panel3D::FloodPercent() const { return std::max(PanelOf(*this).percent, 0); }
bool Panel3D::ShowsProgress() const { return PanelOf(*this).percent >= 0; }
void Panel3D::SetFloodPercent(int percent) {
    if (percent < 0 || percent > 100) win::Raise(kInvalidPropertyValue, Name());
    PanelOf(*this).percent = percent;
    Widget()->repaint();   // the run shows its progress between blocking statements
}

}  // namespace controls::threed
