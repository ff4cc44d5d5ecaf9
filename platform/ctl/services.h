// The outside world of a control, each behind one interface with a Qt implementation and a
// scriptable one for tests: the clipboard and the popup menu. (The beep is platform/win's.)
//
// Installing a scripted implementation affects the whole process; tests install one for their
// duration with the Scoped* guards.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace ctl {

// --- Clipboard -------------------------------------------------------------------------------

// The system clipboard's text, in Unicode.
class ClipboardBackend {
public:
    virtual ~ClipboardBackend() = default;
    // Nothing when the clipboard holds no text.
    virtual std::optional<QString> Text() = 0;
    // False when the clipboard could not be written (it is left as it was).
    virtual bool SetText(const QString& text) = 0;
};

class QtClipboard : public ClipboardBackend {
public:
    std::optional<QString> Text() override;
    bool SetText(const QString& text) override;
};

class ScriptedClipboard : public ClipboardBackend {
public:
    std::optional<QString> Text() override;
    bool SetText(const QString& text) override;

    std::optional<QString> content;
    bool failWrites = false;   // SetText fails, as when another program holds the clipboard
    int writes = 0;
};

void InstallClipboard(ClipboardBackend* backend);   // nullptr: the Qt clipboard; not owned
ClipboardBackend& Clipboard();

// The controls' side, in cp1252: characters of the clipboard's text without a byte become "?".
std::optional<std::string> GetClipboardText();
bool ClipboardHasText();
bool SetClipboardText(std::string_view cp1252);

// --- Popup menu ------------------------------------------------------------------------------

struct MenuItem {
    std::string text;   // cp1252, "&" marks the mnemonic; empty with command 0: a separator
    int command = 0;
    bool enabled = true;
    static MenuItem Separator() { return {}; }
};

class MenuBackend {
public:
    virtual ~MenuBackend() = default;
    // Shows the menu at `globalPos` until the user picks an item or dismisses it; the picked
    // item's command, or 0.
    virtual int Track(QWidget* owner, const std::vector<MenuItem>& items, QPoint globalPos) = 0;
};

class QtMenu : public MenuBackend {
public:
    int Track(QWidget* owner, const std::vector<MenuItem>& items, QPoint globalPos) override;
};

// Picks `pick` (when it is an enabled item's command; else 0) and records what was shown.
class ScriptedMenu : public MenuBackend {
public:
    int Track(QWidget* owner, const std::vector<MenuItem>& items, QPoint globalPos) override;

    int pick = 0;
    std::vector<MenuItem> shown;
    QPoint shownAt;
    int tracks = 0;
};

void InstallMenuBackend(MenuBackend* backend);   // nullptr: Qt menus; not owned
int TrackPopupMenu(QWidget* owner, const std::vector<MenuItem>& items, QPoint globalPos);

// --- Messages and help ------------------------------------------------------------------------

// A message box with one OK button, a control's About box (a modal dialog with a title, lines of
// text and an OK button), and a request to open a help file at a context.
class NoticeBackend {
public:
    virtual ~NoticeBackend() = default;
    virtual void ShowMessage(QWidget* owner, const std::string& textUtf8) = 0;
    virtual void ShowAboutBox(QWidget* owner, const std::string& titleUtf8, const std::vector<std::string>& linesUtf8) = 0;
    virtual void ShowHelp(const std::string& helpFile, std::uint32_t context) = 0;
};

// Messages in a QMessageBox; help requests are written to the debug log (there is no help
// viewer for the library's help files here).
class QtNotices : public NoticeBackend {
public:
    void ShowMessage(QWidget* owner, const std::string& textUtf8) override;
    void ShowAboutBox(QWidget* owner, const std::string& titleUtf8, const std::vector<std::string>& linesUtf8) override;
    void ShowHelp(const std::string& helpFile, std::uint32_t context) override;
};

class ScriptedNotices : public NoticeBackend {
public:
    void ShowMessage(QWidget*, const std::string& textUtf8) override { messages.push_back(textUtf8); }
    void ShowAboutBox(QWidget*, const std::string& titleUtf8, const std::vector<std::string>& linesUtf8) override {
        aboutBoxes.emplace_back(titleUtf8, linesUtf8);
    }
    void ShowHelp(const std::string& helpFile, std::uint32_t context) override {
        help.emplace_back(helpFile, context);
    }
    std::vector<std::string> messages;
    std::vector<std::pair<std::string, std::vector<std::string>>> aboutBoxes;   // title, lines
    std::vector<std::pair<std::string, std::uint32_t>> help;
};

// The dialog QtNotices shows for an About box (not yet shown), for a caller that draws it.
std::unique_ptr<QDialog> MakeAboutBox(QWidget* owner, const std::string& titleUtf8,
                                      const std::vector<std::string>& linesUtf8);

void InstallNotices(NoticeBackend* backend);   // nullptr: the Qt ones; not owned
NoticeBackend& Notices();

// --- Guards for tests ------------------------------------------------------------------------

template <class Backend, void (*Install)(Backend*)>
class ScopedInstall {
public:
    explicit ScopedInstall(Backend* b) { Install(b); }
    ScopedInstall(const ScopedInstall&) = delete;
    ScopedInstall& operator=(const ScopedInstall&) = delete;
    ~ScopedInstall() { Install(nullptr); }
};
using ScopedClipboard = ScopedInstall<ClipboardBackend, &InstallClipboard>;
using ScopedMenu = ScopedInstall<MenuBackend, &InstallMenuBackend>;
using ScopedNotices = ScopedInstall<NoticeBackend, &InstallNotices>;

}  // namespace ctl
