// The outside world of the forms runtime, each behind one interface with a real (Qt) version
// and a scripted one for tests: message boxes, the yield to the window system, and starting an
// external program. The one in force is global to the process, as the runtime's were.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QString;

namespace forms {

// Message box styles (sums of one value of each group) and answers.
namespace mb {
inline constexpr int OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4,
                     RetryCancel = 5;
inline constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
inline constexpr int DefaultButton1 = 0, DefaultButton2 = 256, DefaultButton3 = 512;
inline constexpr int Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
}  // namespace mb

// The answers a style's buttons give, in button order ({6, 7, 2} for Yes, No, Cancel).
std::vector<int> ButtonsOf(int style);
// The answer of the default button (style 292: No).
int DefaultAnswer(int style);
// The answer Esc gives: Cancel where there is a Cancel button, OK for a lone OK button, nothing
// where Esc does not close the box (Yes/No, Abort/Retry/Ignore).
std::optional<int> EscapeAnswer(int style);

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows `text` with `style` under `title` and waits for the answer.
    virtual int Show(const std::string& text, int style, const std::string& title) = 0;
    // The input box: the text typed, or nothing when cancelled.
    virtual std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                             const std::string& initial) = 0;
};

// Records every box and answers from a script; with the script empty it answers the default
// button (inputs: the initial text).
class ScriptedMessageBoxes : public MessageBoxes {
public:
    // The answer value kEscape presses Esc: the style's Esc answer, or std::logic_error when
    // that box cannot be closed by Esc.
    static constexpr int kEscape = -1;

    struct Shown {
        std::string text;
        int style = 0;
        std::string title;
    };

    int Show(const std::string& text, int style, const std::string& title) override;
    std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override;

    std::deque<int> answers;
    std::deque<std::optional<std::string>> inputs;
    std::vector<Shown> shown;
};

// The text of a box as the screen shows it: CR, LF and CR LF each end a line, so CR CR leaves a
// blank line between two paragraphs.
QString MessageBoxText(const std::string& text);

// Boxes on the screen through Qt, with the platform's buttons, icons, default and Esc button, in
// the font of the program's windows.
class QtMessageBoxes : public MessageBoxes {
public:
    int Show(const std::string& text, int style, const std::string& title) override;
    std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override;
};

MessageBoxes& MessageBoxesInForce();
void InstallMessageBoxes(MessageBoxes* boxes);   // nullptr restores the Qt one; not owned

// MsgBox: an empty title shows the application's title. InputBox likewise ("" when cancelled).
int MsgBox(const std::string& text, int style = mb::OkOnly, const std::string& title = {});
std::string InputBox(const std::string& prompt, const std::string& title = {},
                     const std::string& initial = {});

// The yield to the window system (DoEvents): runs the pending events once.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void DoEvents() = 0;
};

class QtEventPump : public EventPump {
public:
    void DoEvents() override;
};

// For tests: counts the yields, runs the actions queued for the next yields (one per yield: an
// injected click, a key), then the real pump.
class ScriptedEventPump : public EventPump {
public:
    void DoEvents() override;
    int count = 0;
    std::deque<std::function<void()>> actions;
};

void InstallEventPump(EventPump* pump);   // nullptr restores the Qt one; not owned
// DoEvents: the yield; returns the number of loaded windows as the runtime does.
int DoEvents();

// Starting an external program (Shell): answers a task id, or raises 53 when it cannot start.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    virtual double Start(const std::string& commandLine, int windowStyle) = 0;
};

// For tests: records each program started; with `installed` false no program is there to start,
// and every start raises 53 as the real starter does for a program it cannot find.
class RecordingProgramStarter : public ProgramStarter {
public:
    double Start(const std::string& commandLine, int windowStyle) override;
    std::vector<std::pair<std::string, int>> started;
    bool installed = true;
};

void InstallProgramStarter(ProgramStarter* starter);   // nullptr restores the real one
double Shell(const std::string& commandLine, int windowStyle = 1);

}  // namespace forms
