#include "platform/forms/app.h"

#include <QApplication>
#include <QCursor>
#include <QFileSystemWatcher>
#include <QWidget>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/forms/window.h"
#include "platform/win/paths.h"

namespace forms {

namespace {

std::string ProgramName() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("report") : self.stem().string();
}

// Files of the instance test, in the machine root (one desktop per machine root): the first
// copy holds a lock on "<key>.instance" as long as it runs and watches for "<key>.activate", in
// which a later copy writes the caption of the window to bring forward.
std::filesystem::path InstanceFile(const std::string& key, const char* suffix) {
    std::string name;
    for (char c : key) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return win::MachineRoot() / (name + suffix);
}

}  // namespace

Application::Application() : title_(ProgramName()) {}

Application::~Application() {
    if (instanceLock_ >= 0) ::close(instanceLock_);
}

Application& App() {
    static Application* application = std::make_unique<Application>().release();
    return *application;
}

std::string Application::Path() const { return win::ProgramFolder(); }

std::string Application::EXEName() const {
    return std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()).stem().string();
}

std::string Application::ProgramFile() const {
    return win::WindowsPath(QCoreApplication::applicationFilePath().toStdString());
}

bool Application::PrevInstance() {
    if (instanceState_ != 0) return instanceState_ == 2;
    if (instanceKey_.empty()) instanceKey_ = title_;
    std::error_code error;
    std::filesystem::create_directories(win::MachineRoot(), error);
    const auto lockPath = InstanceFile(instanceKey_, ".instance");
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        instanceState_ = 2;
        return true;
    }
    instanceLock_ = fd;
    instanceState_ = 1;
    const auto requestPath = InstanceFile(instanceKey_, ".activate");
    std::filesystem::remove(requestPath, error);
    instanceWatcher_ = std::make_unique<QFileSystemWatcher>();
    instanceWatcher_->addPath(QString::fromStdString(win::MachineRoot().string()));
    QObject::connect(instanceWatcher_.get(), &QFileSystemWatcher::directoryChanged, [this, requestPath] {
        std::ifstream request(requestPath, std::ios::binary);
        if (!request) return;
        std::string caption((std::istreambuf_iterator<char>(request)), std::istreambuf_iterator<char>());
        request.close();
        std::error_code ignored;
        std::filesystem::remove(requestPath, ignored);
        ActivateWindow(caption);
    });
    return false;
}

namespace {

void BringForward(Window& window) {
    window.Widget()->show();
    if (QGuiApplication::platformName() != "offscreen") window.Widget()->raise();
    window.Widget()->activateWindow();
}

}  // namespace

bool Application::ActivateWindow(const std::string& caption) {
    for (Window* window : loaded_) {
        if (window->Caption() == caption && window->Widget()) {
            BringForward(*window);
            return true;
        }
    }
    // The application's own title names the program as a whole: its active window comes forward
    // (or the one loaded last), as the platform's hidden application window passed activation on.
    if (caption == title_ && instanceState_ != 2 && !loaded_.empty()) {
        Window* window = ActiveWindow();
        BringForward(window ? *window : *loaded_.back());
        return true;
    }
    if (instanceState_ != 2) return false;
    // Hand the request to the first copy; written beside and renamed, so it reads it whole.
    const auto requestPath = InstanceFile(instanceKey_, ".activate");
    auto partial = requestPath;
    partial += ".part";
    {
        std::ofstream request(partial, std::ios::binary | std::ios::trunc);
        request << caption;
        if (!request) return false;
    }
    std::error_code error;
    std::filesystem::rename(partial, requestPath, error);
    return !error;
}

void Application::SetMousePointer(int pointer) {
    mousePointer_ = pointer;
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    if (pointer == pointer::Hourglass) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void Application::End() {
    endRequested_ = true;
    // The End statement drops every window without running their unload handlers.
    while (!loaded_.empty()) loaded_.back()->Drop();
    if (looping_) QCoreApplication::exit(0);
}

int Application::Run() {
    if (loaded_.empty() || endRequested_) return 0;
    QApplication::setQuitOnLastWindowClosed(false);
    looping_ = true;
    // The loop is told to stop when the last window unloads; a handler may still show another
    // window before it returns to the loop (the log-in unloads as the catalogue opens), which
    // keeps the program going.
    int code = 0;
    while (!loaded_.empty() && !endRequested_) code = QCoreApplication::exec();
    looping_ = false;
    CollectUnloaded();
    return code;
}

Window* Application::ActiveWindow() const {
    for (Window* window : loaded_) {
        if (window->Widget() && window->Widget()->isActiveWindow()) return window;
    }
    for (auto it = loaded_.rbegin(); it != loaded_.rend(); ++it) {
        if ((*it)->Visible()) return *it;
    }
    return nullptr;
}

void Application::WindowLoaded(Window* window) {
    if (std::find(loaded_.begin(), loaded_.end(), window) == loaded_.end()) loaded_.push_back(window);
}

void Application::WindowUnloaded(Window* window) {
    const auto it = std::find(loaded_.begin(), loaded_.end(), window);
    if (it == loaded_.end()) return;
    loaded_.erase(it);
    if (loaded_.empty() && looping_) QCoreApplication::exit(0);
}

void Application::LeaveHandler() {
    --handlerDepth_;
    if (handlerDepth_ == 0 && !graveyard_.empty()) {
        // Still inside the widget event that ran the handler: destroy from the event loop.
        QMetaObject::invokeMethod(qApp, [this] { CollectUnloaded(); }, Qt::QueuedConnection);
    }
}

void Application::Bury(std::shared_ptr<void> remains) {
    graveyard_.push_back(std::move(remains));
    if (handlerDepth_ == 0) {
        QMetaObject::invokeMethod(qApp, [this] { CollectUnloaded(); }, Qt::QueuedConnection);
    }
}

void Application::CollectUnloaded() {
    if (handlerDepth_ == 0) graveyard_.clear();
}

void Application::ResetForTests() {
    endRequested_ = false;
    SetMousePointer(pointer::Default);
}

WindowSystem::WindowSystem(int& argc, char** argv) : application_(std::make_unique<QApplication>(argc, argv)) {}

void Application::ReleaseQtObjects() {
    graveyard_.clear();
    instanceWatcher_.reset();
}

// The windows still loaded go with the window system, before the QApplication: a window object
// lives to the end of the process and must not hold widgets by then.
WindowSystem::~WindowSystem() {
    while (!App().LoadedWindows().empty()) App().LoadedWindows().back()->Drop();
    App().ReleaseQtObjects();
}

}  // namespace forms
