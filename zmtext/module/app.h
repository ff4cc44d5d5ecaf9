// The library's application object: what the library sets up when it is loaded and takes down
// when it is unloaded (the help file's path and the one defaults store), and the help folder.
//
// Lifecycle: InitInstance at load builds the help path, runs the class library's start-up and,
// only when that succeeded, creates the defaults store; ExitInstance at unload frees the store.
// Readers of defaults test ZMDefaults() for null first: there is no store before start-up, after
// shut-down, or when start-up failed, and they then use their built-in values.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace zmtext {

class CZMDefaultsStore;

// The module-wide defaults store, or null.
CZMDefaultsStore* ZMDefaults();

// The help file of the library's errors and pages ("...\ZMTEXT.HLP"); empty before start-up.
std::string ZMHelpFilePath();

// The help folder: the default value of HKEY_CLASSES_ROOT\Software\Halvern\Tallmark\HelpDirectory
// (at most 260 bytes), else the library's own folder followed by "\Help".
std::string ZMGetHelpDirectory();

// The Windows path of the library's own file.
std::string ZMModulePath();

class CZMTextApp {
public:
    // `classLibraryStartup` is the class library's own initialisation; none counts as success.
    explicit CZMTextApp(std::function<bool()> classLibraryStartup = {});
    CZMTextApp(const CZMTextApp&) = delete;
    CZMTextApp& operator=(const CZMTextApp&) = delete;
    ~CZMTextApp();

    // Returns the class library's result.
    bool InitInstance();
    void ExitInstance();

private:
    std::function<bool()> classLibraryStartup_;
    std::unique_ptr<CZMDefaultsStore> defaults_;
};

}  // namespace zmtext
