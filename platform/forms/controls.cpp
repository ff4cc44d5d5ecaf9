#include "platform/forms/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QValidator>
#include <QLineEdit>
#include <QHash>
#include <QListView>
#include <QStyledItemDelegate>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>

#include "platform/forms/colors.h"
#include "platform/forms/keys.h"
#include "platform/forms/window.h"
#include "platform/win/error.h"

namespace forms {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Creates a widget as a child of `parent`, which owns it from then on (Qt's ownership).
template <class W>
W* MakeChild(QWidget* parent) {
    auto widget = std::make_unique<W>(parent);
    return widget.release();
}

// Focus, keys and double clicks of one control's widget, routed through its window.
class ControlEvents : public QObject {
public:
    explicit ControlEvents(Control& control) : control_(control) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::FocusIn:
                control_.Fire(control_.GotFocus);
                return false;
            case QEvent::FocusOut:
                control_.Fire(control_.LostFocus);
                return false;
            case QEvent::MouseButtonDblClick:
                control_.Fire(control_.DblClick);
                return false;
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                // A key a control inside this one routed already is on its way up to the window.
                if (control_.Parent().RoutedBelow(event, qobject_cast<QWidget*>(watched))) return false;
                const auto* key = static_cast<QKeyEvent*>(event);
                int code = KeyCodeOf(key->key(), key->modifiers().toInt());
                if (code == 0) return false;
                const bool down = event->type() == QEvent::KeyPress;
                control_.Parent().RouteKey(down, code, ShiftStateOf(key->modifiers().toInt()), &control_, event);
                if (down && code == key::Return) PressOnEnter();
                return code == 0;   // a handler that zeroed the code kept the key
            }
            default:
                return false;
        }
    }

private:
    // Enter presses the command button that has the focus, once the key's handlers have run and
    // left the focus on it; the key then goes on its way up, routed already.
    void PressOnEnter() {
        auto* button = dynamic_cast<CommandButton*>(&control_);
        if (button != nullptr && button->HasFocus() && button->Visible() && button->Enabled()) button->Press();
    }

    Control& control_;
};

int ToPixels(int twips) { return twips / kTwipsPerPixel; }

}  // namespace

Control::Control(Window& window, std::string name, QWidget* widget)
    : window_(window), name_(std::move(name)), widget_(widget) {
    filter_ = std::make_unique<ControlEvents>(*this);
    if (widget_) widget_->installEventFilter(filter_.get());
}

QWidget* Control::Widget() const { return widget_; }

Control::~Control() {
    if (widget_) widget_->removeEventFilter(filter_.get());
}

bool Control::Visible() const { return widget_ && !widget_->isHidden(); }
void Control::SetVisible(bool visible) {
    if (widget_) widget_->setVisible(visible);
}
bool Control::ShowsInWindow() const { return widget_ && widget_->isVisibleTo(widget_->window()); }
bool Control::Enabled() const { return widget_ && widget_->isEnabled(); }
void Control::SetEnabled(bool enabled) {
    if (widget_) widget_->setEnabled(enabled);
}

int Control::Left() const { return widget_ ? widget_->x() * kTwipsPerPixel : 0; }
int Control::Top() const { return widget_ ? widget_->y() * kTwipsPerPixel : 0; }
int Control::Width() const { return widget_ ? widget_->width() * kTwipsPerPixel : 0; }
int Control::Height() const { return widget_ ? widget_->height() * kTwipsPerPixel : 0; }

void Control::Move(int left, int top, int width, int height) {
    if (!widget_) return;
    if (width < 0) width = Width();
    if (height < 0) height = Height();
    widget_->setGeometry(ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height));
}

void Control::SetTabIndex(int index) {
    std::vector<Control*> ordered = window_.Controls();
    ordered.erase(std::remove(ordered.begin(), ordered.end(), this), ordered.end());
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Control* a, const Control* b) { return a->TabIndex() < b->TabIndex(); });
    const auto position = static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(ordered.size())));
    ordered.insert(ordered.begin() + static_cast<std::ptrdiff_t>(position), this);
    for (std::size_t i = 0; i < ordered.size(); ++i) ordered[i]->tabIndex_ = static_cast<int>(i);
    window_.ApplyTabOrder();
}

namespace {
constexpr long kNoSuchMember = 438;
}  // namespace

bool Control::TabStop() const {
    if (!HasTabStop()) win::Raise(kNoSuchMember, name_);
    return widget_ && widget_->focusPolicy() == Qt::StrongFocus;
}

void Control::SetTabStop(bool stop) {
    if (!HasTabStop()) win::Raise(kNoSuchMember, name_);
    if (widget_) widget_->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
}

namespace {

// Shows colour number `color` in `roles` of the widget's palette.
void PaintRoles(QWidget& widget, std::uint32_t color, std::initializer_list<QPalette::ColorRole> roles) {
    QPalette palette = widget.palette();
    const QColor shown = ToQColor(color);
    for (const QPalette::ColorRole role : roles) palette.setColor(role, shown);
    widget.setPalette(palette);
}

}  // namespace

void Control::SetBackColor(std::uint32_t color) {
    backColor_ = color;
    if (!widget_) return;
    PaintRoles(*widget_, color, {QPalette::Base, QPalette::Window, QPalette::Button});
    widget_->setAutoFillBackground(true);
}

void Control::SetForeColor(std::uint32_t color) {
    foreColor_ = color;
    if (!widget_) return;
    PaintRoles(*widget_, color, {QPalette::Text, QPalette::WindowText, QPalette::ButtonText});
}

void Control::SetFocus() {
    if (!widget_ || !widget_->isVisible() || !widget_->isEnabled()) {
        win::Raise(win::err::InvalidProcedureCall, name_);
    }
    widget_->activateWindow();
    widget_->setFocus(Qt::OtherFocusReason);
}

bool Control::HasFocus() const { return widget_ && widget_->hasFocus(); }

void Control::DropFocus() {
    if (HasFocus()) widget_->clearFocus();
}

void Control::ZOrder() {
    if (widget_) widget_->raise();
}

void Control::Refresh() {
    if (widget_) widget_->repaint();
}

std::string Control::ToolTipText() const { return widget_ ? widget_->toolTip().toStdString() : std::string(); }

void Control::SetToolTipText(const std::string& text) {
    if (widget_) widget_->setToolTip(Q(text));
}

void Control::Fire(const std::function<void()>& event) {
    if (!event) return;
    const auto handler = event;   // the handler may replace the member it runs from
    window_.Dispatch(handler);
}

void Control::QueueClick() {
    QPointer<QWidget> widget = widget_.data();
    QMetaObject::invokeMethod(
        widget_.data(),
        [this, widget] {
            if (!widget) return;
            if (auto* button = qobject_cast<QAbstractButton*>(widget.data())) {
                button->click();
            } else {
                Fire(Click);
            }
        },
        Qt::QueuedConnection);
}

// --- Label, text box ---------------------------------------------------------------------------

namespace {

// Text flags of a caption: "&" underlines the next character, "&&" shows one "&".
constexpr int kCaptionFlags = Qt::TextShowMnemonic;

// A widget that draws a caption in its text colour, greyed while disabled.
class CaptionWidget : public QWidget {
public:
    using QWidget::QWidget;
    QString caption;

protected:
    void DrawCaption(QPainter& painter, const QRect& box, int flags) const {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.drawText(box, flags | kCaptionFlags, caption);
    }
};

// A label: the caption from the top-left corner, wrapped at word boundaries and cut at the
// label's bottom, with its access key underlined.
class LabelWidget : public CaptionWidget {
public:
    using CaptionWidget::CaptionWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        DrawCaption(painter, rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
    }
};

// A frame: an etched border whose top runs through the middle of the caption's line, and the
// caption on it near the left corner. Children lie in the frame's own coordinates, measured
// from its outer top-left corner.
class FrameWidget : public CaptionWidget {
public:
    using CaptionWidget::CaptionWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics = fontMetrics();
        const int top = metrics.height() / 2;
        const QRect border(0, top, width() - 1, height() - top - 1);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(border.adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(border.adjusted(1, 1, 0, 0));
        if (caption.isEmpty()) return;
        constexpr int kIndent = 8;
        const QString shown = QString(caption).remove(QRegularExpression(QStringLiteral("&(?!&)")));
        const QRect text(kIndent, 0, std::min(metrics.horizontalAdvance(shown) + 4, width() - 2 * kIndent),
                         metrics.height());
        painter.fillRect(text, palette().color(QPalette::Window));
        DrawCaption(painter, text, Qt::AlignCenter);
    }
};

}  // namespace

Label::Label(Window& window, std::string name, QWidget* parent)
    : Control(window, std::move(name), MakeChild<LabelWidget>(parent)) {
    shortcut_ = MakeChild<QShortcut>(Widget());
    QObject::connect(shortcut_.data(), &QShortcut::activated, [this] { FocusNextInTabOrder(); });
}

std::string Label::Caption() const { return static_cast<LabelWidget*>(Widget())->caption.toStdString(); }

void Label::SetCaption(const std::string& caption) {
    auto* label = static_cast<LabelWidget*>(Widget());
    label->caption = Q(caption);
    label->update();
    if (shortcut_) shortcut_->setKey(QKeySequence::mnemonic(label->caption));
}

void Control::FocusNextInTabOrder() {
    std::vector<Control*> ordered = window_.Controls();
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Control* a, const Control* b) { return a->TabIndex() < b->TabIndex(); });
    auto at = std::find(ordered.begin(), ordered.end(), this);
    if (at == ordered.end()) return;
    for (++at; at != ordered.end(); ++at) {
        QWidget* widget = (*at)->Widget();
        if (widget && widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus)) {
            widget->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
}

TextBox::TextBox(Window& window, std::string name, QWidget* parent) : TextBox(window, std::move(name), parent, false) {}

namespace {

QWidget* MakeTextWidget(QWidget* parent, bool multiLine) {
    if (!multiLine) return MakeChild<QLineEdit>(parent);
    auto* edit = MakeChild<QPlainTextEdit>(parent);
    edit->setTabChangesFocus(true);
    return edit;
}

// A one-line box never holds a line break, however its text came (typed, pasted, dropped): a
// break at the end of the text (a copied line's own) goes, each other one (CR LF, CR or LF)
// becomes one blank, so that the words on either side stay apart.
class OneLine final : public QValidator {
public:
    explicit OneLine(QObject* parent) : QValidator(parent) {}
    State validate(QString& input, int& pos) const override {
        if (!input.contains(u'\r') && !input.contains(u'\n')) return Acceptable;
        QString line;
        int caret = 0;
        qsizetype end = input.size();
        while (end > 0 && (input[end - 1] == u'\r' || input[end - 1] == u'\n')) --end;
        for (qsizetype i = 0; i < end; ++i) {
            const bool pair = input[i] == u'\r' && i + 1 < end && input[i + 1] == u'\n';
            if (!pair) line += input[i] == u'\r' || input[i] == u'\n' ? QChar(u' ') : input[i];
            if (i < pos) caret = static_cast<int>(line.size());
        }
        input = line;
        pos = std::min(caret, static_cast<int>(line.size()));
        return Acceptable;
    }
};

void KeepOneLine(QLineEdit* edit) {
    if (edit && !edit->validator()) edit->setValidator(MakeChild<OneLine>(edit));
}

QLineEdit* Edit(const Control& control) { return qobject_cast<QLineEdit*>(control.Widget()); }
QPlainTextEdit* Lines(const Control& control) { return qobject_cast<QPlainTextEdit*>(control.Widget()); }

// The widget keeps a line break as "\n"; the runtime's text as CR LF.
std::string WithCrLf(const QString& text) {
    std::string out;
    for (char c : text.toStdString()) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

QString WithoutCr(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != '\r') out += c;
    }
    return Q(out);
}

}  // namespace

TextBox::TextBox(Window& window, std::string name, QWidget* parent, bool multiLine)
    : Control(window, std::move(name), MakeTextWidget(parent, multiLine)), multiLine_(multiLine) {
    if (multiLine) {
        QObject::connect(Lines(*this), &QPlainTextEdit::textChanged, [this] { Fire(Change); });
    } else {
        KeepOneLine(Edit(*this));
        QObject::connect(Edit(*this), &QLineEdit::textChanged, [this] { Fire(Change); });
    }
}

std::string TextBox::Text() const {
    return multiLine_ ? WithCrLf(Lines(*this)->toPlainText()) : Edit(*this)->text().toStdString();
}
void TextBox::SetText(const std::string& text) {
    if (multiLine_) {
        Lines(*this)->setPlainText(WithoutCr(text));
        Lines(*this)->moveCursor(QTextCursor::End);
    } else {
        Edit(*this)->setText(Q(text));
    }
}
int TextBox::SelStart() const {
    if (multiLine_) return Lines(*this)->textCursor().selectionStart();
    return Edit(*this)->hasSelectedText() ? Edit(*this)->selectionStart() : Edit(*this)->cursorPosition();
}
void TextBox::SetSelStart(int start) {
    if (start < 0) win::Raise(380, Name());
    if (multiLine_) {
        QTextCursor cursor = Lines(*this)->textCursor();
        cursor.setPosition(std::min(start, static_cast<int>(Lines(*this)->toPlainText().size())));
        Lines(*this)->setTextCursor(cursor);
        return;
    }
    Edit(*this)->setCursorPosition(start);
}
int TextBox::SelLength() const {
    if (multiLine_) return static_cast<int>(Lines(*this)->textCursor().selectedText().size());
    return static_cast<int>(Edit(*this)->selectedText().size());
}
void TextBox::SetSelLength(int length) {
    if (length < 0) win::Raise(380, Name());
    const int start = SelStart();
    if (multiLine_) {
        QTextCursor cursor = Lines(*this)->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(std::min(start + length, static_cast<int>(Lines(*this)->toPlainText().size())),
                           QTextCursor::KeepAnchor);
        Lines(*this)->setTextCursor(cursor);
        return;
    }
    Edit(*this)->setSelection(start, length);
}
int TextBox::MaxLength() const {
    if (multiLine_) return 0;
    const int length = Edit(*this)->maxLength();
    return length >= 32767 ? 0 : length;
}
void TextBox::SetMaxLength(int length) {
    if (!multiLine_) Edit(*this)->setMaxLength(length <= 0 ? 32767 : length);
}

// --- Lists -------------------------------------------------------------------------------------

ListControl::ListControl(Window& window, std::string name, QWidget* widget)
    : Control(window, std::move(name), widget), model_(std::make_unique<QStringListModel>()) {}

// The widget still shows the model until the window's widgets go: detach it first.
ListControl::~ListControl() {
    if (auto* view = qobject_cast<QAbstractItemView*>(Widget())) view->setModel(nullptr);
    if (auto* combo = qobject_cast<QComboBox*>(Widget())) {
        combo->setModel(std::make_unique<QStringListModel>(combo).release());
    }
}

void ListControl::AddItem(const std::string& item, int index) {
    if (index < -1 || index > ListCount()) win::Raise(win::err::InvalidProcedureCall, Name());
    const int row = index < 0 ? ListCount() : index;
    const int before = ListIndex();
    {
        // A combo box picks the first item of an empty list by itself; the runtime's does not.
        QSignalBlocker quiet(Widget());
        model_->insertRows(row, 1);
        model_->setData(model_->index(row), Q(item));
        const int kept = before < 0 ? -1 : before + (before >= row ? 1 : 0);
        if (ListIndex() != kept) SelectRow(kept);
    }
}

void ListControl::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) win::Raise(win::err::InvalidProcedureCall, Name());
    model_->removeRows(index, 1);
}

std::string ListControl::List(int index) const {
    if (index < 0 || index >= ListCount()) return {};
    return model_->data(model_->index(index)).toString().toStdString();
}

void ListControl::SetList(int index, const std::string& item) {
    if (index < 0 || index >= ListCount()) win::Raise(381, Name());
    model_->setData(model_->index(index), Q(item));
}

int ListControl::ListCount() const { return model_->rowCount(); }

void ListControl::Clear() { model_->setStringList({}); }

void ListControl::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) win::Raise(380, Name());
    SelectRow(index);
}

namespace {
QListView* ViewOf(const Control& control) { return static_cast<QListView*>(control.Widget()); }

// Measures each line of a list box once. The view lays out every line again after any change (a
// line added or rewritten, another current line) and before it paints, so a list that grows while
// a long task yields would measure all its lines at every yield; the text's shaping is nearly all
// of that cost. A list box's lines are plain text in the view's font, so a line's size follows from
// its text while the font and style stay; a change of either forgets the sizes.
class MeasuredOnceDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QStyle* style = option.widget != nullptr ? option.widget->style() : nullptr;
        if (style != style_ || option.font != font_ || sizes_.size() >= kMostRemembered) {
            sizes_.clear();
            style_ = style;
            font_ = option.font;
        }
        const QString text = index.data(Qt::DisplayRole).toString();
        const auto known = sizes_.constFind(text);
        if (known != sizes_.cend()) return *known;
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        sizes_.insert(text, size);
        return size;
    }

private:
    // Lines rewritten in place (a counter) leave their earlier texts behind: start again past this.
    static constexpr qsizetype kMostRemembered = 4096;
    mutable QHash<QString, QSize> sizes_;
    mutable const QStyle* style_ = nullptr;
    mutable QFont font_;
};
QComboBox* ComboOf(const Control& control) { return static_cast<QComboBox*>(control.Widget()); }
}  // namespace

ListBox::ListBox(Window& window, std::string name, QWidget* parent)
    : ListControl(window, std::move(name), MakeChild<QListView>(parent)) {
    ViewOf(*this)->setModel(&Model());
    ViewOf(*this)->setItemDelegate(std::make_unique<MeasuredOnceDelegate>(ViewOf(*this)).release());
    ViewOf(*this)->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QObject::connect(ViewOf(*this)->selectionModel(), &QItemSelectionModel::currentRowChanged,
                     [this](const QModelIndex& current) {
                         if (current.isValid()) Fire(Click);
                     });
}

int ListBox::ListIndex() const {
    const QModelIndex current = ViewOf(*this)->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ListBox::SelectRow(int index) {
    ViewOf(*this)->setCurrentIndex(index < 0 ? QModelIndex() : Model().index(index));
}

ComboBox::ComboBox(Window& window, std::string name, QWidget* parent)
    : ListControl(window, std::move(name), MakeChild<QComboBox>(parent)) {
    ComboOf(*this)->setEditable(true);
    KeepOneLine(ComboOf(*this)->lineEdit());
    ComboOf(*this)->setInsertPolicy(QComboBox::NoInsert);
    ComboOf(*this)->setModel(&Model());
    ComboOf(*this)->setCurrentIndex(-1);
    QObject::connect(ComboOf(*this), &QComboBox::currentIndexChanged, [this](int index) {
        if (index >= 0) Fire(Click);
    });
    QObject::connect(ComboOf(*this), &QComboBox::editTextChanged, [this] { Fire(Change); });
}

int ComboBox::ListIndex() const { return ComboOf(*this)->currentIndex(); }
void ComboBox::SelectRow(int index) { ComboOf(*this)->setCurrentIndex(index); }
std::string ComboBox::Text() const { return ComboOf(*this)->currentText().toStdString(); }

void ComboBox::SetText(const std::string& text) {
    if (style_ != 2) {
        ComboOf(*this)->setEditText(Q(text));
        return;
    }
    const int index = ComboOf(*this)->findText(Q(text), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0) throw win::RuntimeError(383, "'Text' property is read-only", Name());
    ComboOf(*this)->setCurrentIndex(index);
}

void ComboBox::SetStyle(int style) {
    if (style != 0 && style != 2) win::Raise(380, Name());
    style_ = style;
    ComboOf(*this)->setEditable(style == 0);
    if (style == 0) {
        KeepOneLine(ComboOf(*this)->lineEdit());
        ComboOf(*this)->setInsertPolicy(QComboBox::NoInsert);
    }
}

// --- Buttons and containers ----------------------------------------------------------------------

CheckBox::CheckBox(Window& window, std::string name, QWidget* parent)
    : Control(window, std::move(name), MakeChild<QCheckBox>(parent)) {
    QObject::connect(static_cast<QCheckBox*>(Widget()), &QCheckBox::clicked, [this] { Fire(Click); });
}
int CheckBox::Value() const {
    switch (static_cast<QCheckBox*>(Widget())->checkState()) {
        case Qt::Checked: return 1;
        case Qt::PartiallyChecked: return 2;
        default: return 0;
    }
}
void CheckBox::SetValue(int value) {
    if (value < 0 || value > 2) win::Raise(380, Name());
    auto* box = static_cast<QCheckBox*>(Widget());
    if (value == Value()) return;
    box->setTristate(value == 2 || box->isTristate());
    box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    Fire(Click);   // setting the value clicks, as the runtime does
}
std::string CheckBox::Caption() const { return static_cast<QCheckBox*>(Widget())->text().toStdString(); }
void CheckBox::SetCaption(const std::string& caption) { static_cast<QCheckBox*>(Widget())->setText(Q(caption)); }

OptionButton::OptionButton(Window& window, std::string name, QWidget* parent)
    : Control(window, std::move(name), MakeChild<QRadioButton>(parent)) {
    QObject::connect(static_cast<QRadioButton*>(Widget()), &QRadioButton::clicked, [this] { Fire(Click); });
}
bool OptionButton::Value() const { return static_cast<QRadioButton*>(Widget())->isChecked(); }
void OptionButton::SetValue(bool value) {
    if (value == Value()) return;
    static_cast<QRadioButton*>(Widget())->setChecked(value);
    if (value) Fire(Click);
}
std::string OptionButton::Caption() const { return static_cast<QRadioButton*>(Widget())->text().toStdString(); }
void OptionButton::SetCaption(const std::string& caption) {
    static_cast<QRadioButton*>(Widget())->setText(Q(caption));
}

CommandButton::CommandButton(Window& window, std::string name, QWidget* parent)
    : Control(window, std::move(name), MakeChild<QPushButton>(parent)) {
    QObject::connect(static_cast<QPushButton*>(Widget()), &QPushButton::clicked, [this] { Fire(Click); });
}
std::string CommandButton::Caption() const { return static_cast<QPushButton*>(Widget())->text().toStdString(); }
void CommandButton::SetCaption(const std::string& caption) {
    static_cast<QPushButton*>(Widget())->setText(Q(caption));
}
void CommandButton::Press() { Fire(Click); }

Frame::Frame(Window& window, std::string name, QWidget* parent)
    : Control(window, std::move(name), MakeChild<FrameWidget>(parent)) {}
std::string Frame::Caption() const { return static_cast<FrameWidget*>(Widget())->caption.toStdString(); }
void Frame::SetCaption(const std::string& caption) {
    static_cast<FrameWidget*>(Widget())->caption = Q(caption);
    Widget()->update();
}

Panel::Panel(Window& window, std::string name, QWidget* parent)
    : Control(window, std::move(name), MakeChild<QFrame>(parent)) {
    static_cast<QFrame*>(Widget())->setFrameShape(QFrame::Panel);
}
void Panel::Refresh() { Widget()->repaint(); }

// --- Timer ---------------------------------------------------------------------------------------

Timer::Timer(Window& window, std::string name, QWidget* parent)
    : Control(window, std::move(name), MakeChild<QWidget>(parent)), timer_(std::make_unique<QTimer>()) {
    Widget()->hide();
    Widget()->setFocusPolicy(Qt::NoFocus);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { Fire(OnTimer); });
}
Timer::~Timer() { timer_->stop(); }
int Timer::Interval() const { return timer_->interval(); }
void Timer::SetInterval(int milliseconds) {
    if (milliseconds < 0 || milliseconds > 65535) win::Raise(380, Name());
    timer_->setInterval(milliseconds);
    Restart();
}
void Timer::SetTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
    Restart();
}
void Timer::Restart() {
    if (timerEnabled_ && timer_->interval() > 0) {
        timer_->start();
    } else {
        timer_->stop();
    }
}

}  // namespace forms
