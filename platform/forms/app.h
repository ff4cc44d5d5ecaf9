// The application object of the forms runtime: title, program folder, the previous-instance test
// and activation of its window, the screen's mouse pointer, the loaded windows, and program end.
//
// Lifetime: the program lives while a window is loaded. Run() turns the event loop until the last
// window unloads or End() is asked for. End() is a request: it marks the program as ending,
// drops every window without running their unload handlers (as the runtime's End statement
// does), and stops the loop; the code that asked returns normally, and tests look at EndRequested().
//
// Unloaded windows are destroyed only when no window handler is running (HandlerDepth() == 0),
// so a window that unloads itself from its own click handler finishes that handler safely.
#pragma once

#include <memory>
#include <string>
#include <vector>

class QApplication;
class QFileSystemWatcher;

namespace forms {

// The mouse pointers the program shows (Screen.MousePointer's numbers).
namespace pointer {
inline constexpr int Default = 0;
inline constexpr int Hourglass = 11;
}  // namespace pointer

class Window;

class Application {
public:
    Application();
    ~Application();

    // App.Title: the program's name without extension until set.
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    // App.Path: the program folder in Windows form.
    std::string Path() const;
    // App.EXEName: the program file's name without its extension.
    std::string EXEName() const;
    // The program file itself, in Windows form.
    std::string ProgramFile() const;

    // App.PrevInstance: true when another running copy of this program (same key, same machine
    // root) was there first. The first copy then watches for AppActivate requests of later ones.
    bool PrevInstance();
    // AppActivate: activates this program's loaded window with that caption (the application's
    // title names its active window), or, in a later copy, asks the first copy to do so. False
    // when neither applies.
    bool ActivateWindow(const std::string& caption);
    // The key under which instances find each other (default: the title at the first test).
    void SetInstanceKey(std::string key) { instanceKey_ = std::move(key); }

    // Screen.MousePointer: pointer::Default, pointer::Hourglass (others show the default pointer).
    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int pointer);

    // End: the request to end the program.
    void End();
    bool EndRequested() const { return endRequested_; }

    // Turns the event loop until no window is loaded or End() was asked for.
    int Run();

    const std::vector<Window*>& LoadedWindows() const { return loaded_; }
    Window* ActiveWindow() const;

    // Bookkeeping of windows (called by Window).
    void WindowLoaded(Window* window);
    void WindowUnloaded(Window* window);
    int HandlerDepth() const { return handlerDepth_; }
    void EnterHandler() { ++handlerDepth_; }
    void LeaveHandler();
    // Takes what an unloaded window leaves behind, to destroy once no handler runs.
    void Bury(std::shared_ptr<void> remains);
    // Destroys what unloaded windows left behind, when no handler runs.
    void CollectUnloaded();

    // For tests: forgets the end request and the pointer, keeping the loaded windows.
    void ResetForTests();

    // Destroys the Qt objects the application holds (what unloaded windows left, the instance
    // watcher) while the window system still exists (called by ~WindowSystem).
    void ReleaseQtObjects();

private:
    std::string title_;
    std::string instanceKey_;
    int mousePointer_ = 0;
    bool endRequested_ = false;
    bool looping_ = false;
    int handlerDepth_ = 0;
    std::vector<Window*> loaded_;
    std::vector<std::shared_ptr<void>> graveyard_;
    std::unique_ptr<QFileSystemWatcher> instanceWatcher_;
    int instanceLock_ = -1;
    int instanceState_ = 0;   // 0 untested, 1 first instance, 2 a previous one runs
};

// The one application object of the process. It is never destroyed: by the time static objects
// are, Qt's per-thread data is gone, and destroying a widget then crashes the process at exit.
// The window system releases the Qt objects it holds (ReleaseQtObjects); a host that keeps a
// QApplication of its own to the end of the process leaves them to the process's end.
Application& App();

// The window system of a program's process: made first thing in main, before any window, and
// gone last. `argc` and `argv` must outlive it.
class WindowSystem {
public:
    WindowSystem(int& argc, char** argv);
    ~WindowSystem();
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

private:
    std::unique_ptr<QApplication> application_;
};

}  // namespace forms
