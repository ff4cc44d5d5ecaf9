// A long step of a handler that yields to the window system while it works (a log-in's upgrade, a
// report run, a consolidation run).
//
// While one runs, the user's keys and clicks reach no control of the program's windows but those
// that serve the step (a Cancelar the step polls between its statements): a command pressed again
// from inside the step's own yields would start the step, or another one, over the half-done
// first. A close asked of a program window meanwhile (its close box, Alt+F4) is kept, and done
// once the outermost step has ended.
//
// Invariants:
//   1. Steps nest (a consolidation's run prints its report): input comes back when the last ends.
//   2. Only input aimed at a loaded program window is held back; message boxes and windows that
//      are not the program's (a report preview) take input as ever, also during a step.
//   3. A kept close is done at most once per window, and only while the window is still loaded.
#pragma once

namespace forms {

class Control;
class Window;

class BusyScope {
public:
    // `window` is the window whose command starts the step.
    explicit BusyScope(Window& window);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    // True once a close was asked of the step's window while the step ran.
    bool CloseAsked() const;

private:
    Window& window_;
};

// True while a long step runs.
bool Busy();

// Lets the user reach `control` (its clicks, and the keys it has the focus for) while a long step
// of its window runs.
void ServeWhileBusy(Control& control);

}  // namespace forms
