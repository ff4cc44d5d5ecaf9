#include "platform/forms/services.h"

#include <QApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QStringList>
#include <stdexcept>

#include "platform/ctl/font_picture.h"
#include "platform/forms/app.h"
#include "platform/forms/repaint_pace.h"
#include "platform/win/error.h"

namespace forms {

std::vector<int> ButtonsOf(int style) {
    switch (style & 7) {
        case mb::OkCancel: return {mb::Ok, mb::Cancel};
        case mb::AbortRetryIgnore: return {mb::Abort, mb::Retry, mb::Ignore};
        case mb::YesNoCancel: return {mb::Yes, mb::No, mb::Cancel};
        case mb::YesNo: return {mb::Yes, mb::No};
        case mb::RetryCancel: return {mb::Retry, mb::Cancel};
        default: return {mb::Ok};
    }
}

int DefaultAnswer(int style) {
    const std::vector<int> buttons = ButtonsOf(style);
    const std::size_t index = static_cast<std::size_t>((style >> 8) & 3);
    return index < buttons.size() ? buttons[index] : buttons[0];
}

std::optional<int> EscapeAnswer(int style) {
    const std::vector<int> buttons = ButtonsOf(style);
    for (int answer : buttons) {
        if (answer == mb::Cancel) return answer;
    }
    if (buttons.size() == 1) return buttons[0];
    return std::nullopt;
}

int ScriptedMessageBoxes::Show(const std::string& text, int style, const std::string& title) {
    shown.push_back({text, style, title});
    if (answers.empty()) return DefaultAnswer(style);
    const int answer = answers.front();
    answers.pop_front();
    if (answer == kEscape) {
        const auto escaped = EscapeAnswer(style);
        if (!escaped) throw std::logic_error("Esc does not close a box of style " + std::to_string(style));
        return *escaped;
    }
    const std::vector<int> buttons = ButtonsOf(style);
    if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end()) {
        throw std::logic_error("the box of style " + std::to_string(style) + " has no button " +
                               std::to_string(answer));
    }
    return answer;
}

std::optional<std::string> ScriptedMessageBoxes::Input(const std::string& prompt,
                                                       const std::string& title,
                                                       const std::string& initial) {
    shown.push_back({prompt, -1, title});
    if (inputs.empty()) return initial;
    auto answer = inputs.front();
    inputs.pop_front();
    return answer;
}

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QMessageBox::Icon IconOf(int style) {
    switch (style & 0x70) {
        case mb::Critical: return QMessageBox::Critical;
        case mb::Question: return QMessageBox::Question;
        case mb::Exclamation: return QMessageBox::Warning;
        case mb::Information: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

const char* ButtonText(int answer) {
    switch (answer) {
        case mb::Cancel: return "Cancelar";
        case mb::Abort: return "Anular";
        case mb::Retry: return "Repetir";
        case mb::Ignore: return "Ignorar";
        case mb::Yes: return "Sim";
        case mb::No: return "Não";
        default: return "OK";
    }
}

}  // namespace

QString MessageBoxText(const std::string& text) {
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            lines += text[i];
            continue;
        }
        lines += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return Q(lines);
}

namespace {

// A key that answers a box ends in the box: the box closes on its press, and its release, which
// the window system sends to whatever has the focus next, reaches no window of the program (a
// field's KeyUp would otherwise act on a key the user meant for the box). Watches the box's keys
// while it is up; then holds back the release of each key still down, once.
class BoxKeys : public QObject {
public:
    explicit BoxKeys(QWidget& box) : box_(&box) { qApp->installEventFilter(this); }

    // After the box has closed: the releases still to come are held back from here on.
    void HoldBackReleases() {
        box_ = nullptr;
        if (down_.empty()) deleteLater();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (box_ != nullptr) {
            // While the box is up: the keys pressed in it and not yet released there.
            const bool inBox = watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == box_;
            if (inBox && !key->isAutoRepeat()) {
                if (event->type() == QEvent::KeyPress) {
                    down_.insert(key->key());
                } else {
                    down_.remove(key->key());
                }
            }
            return false;
        }
        if (!down_.contains(key->key())) return false;
        if (key->isAutoRepeat()) return true;
        // A new press of the key means its release was lost on the way (the focus was outside the
        // program): that key is no longer held back.
        down_.remove(key->key());
        if (down_.empty()) deleteLater();
        return event->type() == QEvent::KeyRelease;
    }

private:
    QWidget* box_;
    QSet<int> down_;
};

}  // namespace

int QtMessageBoxes::Show(const std::string& text, int style, const std::string& title) {
    QMessageBox box(IconOf(style), Q(title), MessageBoxText(text), QMessageBox::NoButton, QApplication::activeWindow());
    // The text as written, never read as markup; in the font of the program's windows.
    box.setTextFormat(Qt::PlainText);
    box.setFont(ctl::DefaultQFont());
    std::vector<std::pair<QPushButton*, int>> buttons;
    for (int answer : ButtonsOf(style)) {
        buttons.emplace_back(box.addButton(QString::fromUtf8(ButtonText(answer)), QMessageBox::ActionRole), answer);
        if (answer == DefaultAnswer(style)) box.setDefaultButton(buttons.back().first);
        if (EscapeAnswer(style) == answer) box.setEscapeButton(buttons.back().first);
    }
    auto* keys = std::make_unique<BoxKeys>(box).release();   // deletes itself once done
    box.exec();
    keys->HoldBackReleases();
    for (const auto& [button, answer] : buttons) {
        if (box.clickedButton() == button) return answer;
    }
    return EscapeAnswer(style).value_or(DefaultAnswer(style));
}

std::optional<std::string> QtMessageBoxes::Input(const std::string& prompt, const std::string& title,
                                                 const std::string& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), Q(title), MessageBoxText(prompt),
                                               QLineEdit::Normal, Q(initial), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

namespace {
MessageBoxes* installedBoxes = nullptr;
EventPump* installedPump = nullptr;
ProgramStarter* installedStarter = nullptr;

// The programs of the other platform that the program starts by name, and what stands in for
// them here (the first one installed).
QStringList StandInsFor(const QString& program) {
    if (program.compare("calc.exe", Qt::CaseInsensitive) == 0 || program.compare("calc", Qt::CaseInsensitive) == 0) {
        return {"gnome-calculator", "kcalc", "galculator", "qalculate-gtk", "xcalc"};
    }
    return {program};
}

class QtProgramStarter : public ProgramStarter {
public:
    double Start(const std::string& commandLine, int) override {
        QStringList parts = QProcess::splitCommand(Q(commandLine));
        if (parts.isEmpty()) win::Raise(win::err::InvalidProcedureCall, "Shell");
        const QString program = parts.takeFirst();
        for (const QString& candidate : StandInsFor(program)) {
            qint64 pid = 0;
            if (QProcess::startDetached(candidate, parts, QString(), &pid)) return static_cast<double>(pid);
        }
        win::Raise(win::err::FileNotFound, "Shell");
    }
};
}  // namespace

MessageBoxes& MessageBoxesInForce() {
    static QtMessageBoxes qtBoxes;
    return installedBoxes ? *installedBoxes : qtBoxes;
}

void InstallMessageBoxes(MessageBoxes* boxes) { installedBoxes = boxes; }

int MsgBox(const std::string& text, int style, const std::string& title) {
    return MessageBoxesInForce().Show(text, style, title.empty() ? App().Title() : title);
}

std::string InputBox(const std::string& prompt, const std::string& title, const std::string& initial) {
    return MessageBoxesInForce().Input(prompt, title.empty() ? App().Title() : title, initial).value_or("");
}

void QtEventPump::DoEvents() {
    const PacedTurn turn;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void ScriptedEventPump::DoEvents() {
    ++count;
    if (!actions.empty()) {
        auto action = std::move(actions.front());
        actions.pop_front();
        action();
    }
    QtEventPump().DoEvents();
}

void InstallEventPump(EventPump* pump) { installedPump = pump; }

int DoEvents() {
    static QtEventPump qtPump;
    (installedPump ? *installedPump : static_cast<EventPump&>(qtPump)).DoEvents();
    App().CollectUnloaded();
    return static_cast<int>(App().LoadedWindows().size());
}

double RecordingProgramStarter::Start(const std::string& commandLine, int windowStyle) {
    if (!installed) win::Raise(win::err::FileNotFound, "Shell");
    started.emplace_back(commandLine, windowStyle);
    return static_cast<double>(started.size());
}

void InstallProgramStarter(ProgramStarter* starter) { installedStarter = starter; }

double Shell(const std::string& commandLine, int windowStyle) {
    static QtProgramStarter qtStarter;
    return (installedStarter ? *installedStarter : static_cast<ProgramStarter&>(qtStarter))
        .Start(commandLine, windowStyle);
}

}  // namespace forms
