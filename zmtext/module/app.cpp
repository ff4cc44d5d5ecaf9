#include "zmtext/module/app.h"

#include <mutex>

#include "platform/win/module.h"
#include "platform/win/registry.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/zmtextlib.h"

namespace zmtext {
namespace {

constexpr const char* kHelpDirectoryKey = "Software\\Halvern\\Tallmark\\HelpDirectory";
// The help folder is read into a buffer of 261 bytes: a longer value does not fit and counts as
// absent.
constexpr std::size_t kMaxPath = 260;

CZMDefaultsStore* g_defaults = nullptr;

std::mutex& HelpPathMutex() {
    static std::mutex m;
    return m;
}
std::string& HelpPath() {
    static std::string path;
    return path;
}

}  // namespace

CZMDefaultsStore* ZMDefaults() { return g_defaults; }

std::string ZMHelpFilePath() {
    std::lock_guard lock(HelpPathMutex());
    return HelpPath();
}

std::string ZMModulePath() { return win::ModulePath(reinterpret_cast<const void*>(&ZMModulePath)); }

std::string ZMGetHelpDirectory() {
    const auto value = win::registry::QueryString(win::RootKey::ClassesRoot, kHelpDirectoryKey, "");
    if (value && value->size() <= kMaxPath) return *value;
    std::string path = ZMModulePath().substr(0, kMaxPath);
    const auto slash = path.rfind('\\');
    path.erase(slash == std::string::npos ? 0 : slash);
    return path + "\\Help";
}

CZMTextApp::CZMTextApp(std::function<bool()> classLibraryStartup)
    : classLibraryStartup_(std::move(classLibraryStartup)) {}

CZMTextApp::~CZMTextApp() { ExitInstance(); }

bool CZMTextApp::InitInstance() {
    {
        std::lock_guard lock(HelpPathMutex());
        HelpPath() = ZMGetHelpDirectory() + "\\" + kZMHelpFile;
    }
    const bool started = !classLibraryStartup_ || classLibraryStartup_();
    if (started) {
        defaults_ = std::make_unique<CZMDefaultsStore>();
        g_defaults = defaults_.get();
    }
    return started;
}

void CZMTextApp::ExitInstance() {
    if (g_defaults == defaults_.get()) g_defaults = nullptr;
    defaults_.reset();
}

}  // namespace zmtext
