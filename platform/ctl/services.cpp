#include "platform/ctl/services.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtDebug>

#include "platform/ctl/font_picture.h"
#include "platform/ctl/text_metrics.h"

namespace ctl {

namespace {
ClipboardBackend* g_clipboard = nullptr;
MenuBackend* g_menu = nullptr;
NoticeBackend* g_notices = nullptr;
}  // namespace

std::optional<QString> QtClipboard::Text() {
    const QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) return std::nullopt;
    const QString text = cb->text();
    if (text.isNull()) return std::nullopt;
    return text;
}

bool QtClipboard::SetText(const QString& text) {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) return false;
    cb->setText(text);
    return true;
}

std::optional<QString> ScriptedClipboard::Text() { return content; }

bool ScriptedClipboard::SetText(const QString& text) {
    if (failWrites) return false;
    content = text;
    ++writes;
    return true;
}

void InstallClipboard(ClipboardBackend* backend) { g_clipboard = backend; }

ClipboardBackend& Clipboard() {
    static QtClipboard real;
    return g_clipboard ? *g_clipboard : real;
}

std::optional<std::string> GetClipboardText() {
    const auto text = Clipboard().Text();
    if (!text) return std::nullopt;
    // The platform's text format ends at the first NUL.
    QString cut = *text;
    if (const qsizetype nul = cut.indexOf(QChar(u'\0')); nul >= 0) cut.truncate(nul);
    return ToAnsi(cut);
}

bool ClipboardHasText() { return Clipboard().Text().has_value(); }

bool SetClipboardText(std::string_view cp1252) { return Clipboard().SetText(FromAnsi(cp1252)); }

int QtMenu::Track(QWidget* owner, const std::vector<MenuItem>& items, QPoint globalPos) {
    QMenu menu(owner);
    for (const MenuItem& item : items) {
        if (item.command == 0 && item.text.empty()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(FromAnsi(item.text));
        action->setData(item.command);
        action->setEnabled(item.enabled);
    }
    const QAction* chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toInt() : 0;
}

int ScriptedMenu::Track(QWidget*, const std::vector<MenuItem>& items, QPoint globalPos) {
    shown = items;
    shownAt = globalPos;
    ++tracks;
    for (const MenuItem& item : items)
        if (item.command != 0 && item.command == pick && item.enabled) return pick;
    return 0;
}

void InstallMenuBackend(MenuBackend* backend) { g_menu = backend; }

int TrackPopupMenu(QWidget* owner, const std::vector<MenuItem>& items, QPoint globalPos) {
    static QtMenu real;
    return (g_menu ? *g_menu : static_cast<MenuBackend&>(real)).Track(owner, items, globalPos);
}

void QtNotices::ShowMessage(QWidget* owner, const std::string& textUtf8) {
    QMessageBox::warning(owner, QString(), QString::fromStdString(textUtf8));
}

std::unique_ptr<QDialog> MakeAboutBox(QWidget* owner, const std::string& titleUtf8,
                                      const std::vector<std::string>& linesUtf8) {
    auto dialog = std::make_unique<QDialog>(owner);
    dialog->setWindowTitle(QString::fromStdString(titleUtf8));
    dialog->setFont(DefaultQFont());
    dialog->setMinimumWidth(240);
    // Layouts and widgets made on the dialog belong to it.
    auto* layout = std::make_unique<QVBoxLayout>(dialog.get()).release();
    for (const std::string& line : linesUtf8)
        layout->addWidget(std::make_unique<QLabel>(QString::fromStdString(line), dialog.get()).release());
    auto* ok = std::make_unique<QPushButton>(QStringLiteral("OK"), dialog.get()).release();
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog.get(), &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    return dialog;
}

void QtNotices::ShowAboutBox(QWidget* owner, const std::string& titleUtf8, const std::vector<std::string>& linesUtf8) {
    MakeAboutBox(owner, titleUtf8, linesUtf8)->exec();
}

void QtNotices::ShowHelp(const std::string& helpFile, std::uint32_t context) {
    qInfo("help requested: %s, context %u", helpFile.c_str(), context);
}

void InstallNotices(NoticeBackend* backend) { g_notices = backend; }

NoticeBackend& Notices() {
    static QtNotices real;
    return g_notices ? *g_notices : real;
}

}  // namespace ctl
