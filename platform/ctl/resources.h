// A library's resources, declared in code: its string table, dialogs, menus, cursors and
// bitmaps, looked up by id as the library's code looked them up in its resource section.
//
// Strings are written in the source as UTF-8 and handed out in cp1252, the controls' text.
#pragma once

#include <QCursor>
#include <QImage>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ctl/geometry.h"
#include "platform/ctl/services.h"

namespace ctl {

enum class DialogItemKind { Label, Edit, CheckBox, ComboList, Button, GroupBox };

struct DialogItem {
    int id = 0;
    DialogItemKind kind = DialogItemKind::Label;
    std::string text;   // UTF-8
    Rect bounds;        // in pixels of the page
};

struct DialogTemplate {
    std::string caption;   // UTF-8
    int width = 0;
    int height = 0;
    std::vector<DialogItem> items;
};

class ResourceTable {
public:
    void AddString(int id, std::string utf8);
    void AddStrings(std::initializer_list<std::pair<int, const char*>> rows);
    void AddMenu(int id, std::vector<MenuItem> items);
    void AddDialog(int id, DialogTemplate dialog);
    void AddCursor(std::string name, std::function<QCursor()> make);
    void AddBitmap(int id, QImage image);

    bool HasString(int id) const { return strings_.count(id) != 0; }
    // The string in cp1252; empty when absent. With `bufferSize` > 0 the text is cut to
    // bufferSize - 1 characters, as a copy into a buffer of that size is.
    std::string LoadString(int id, std::size_t bufferSize = 0) const;
    std::string LoadStringUtf8(int id) const;
    const std::vector<MenuItem>* Menu(int id) const;
    const DialogTemplate* Dialog(int id) const;
    std::optional<QCursor> Cursor(const std::string& name) const;
    const QImage* Bitmap(int id) const;

private:
    std::map<int, std::string> strings_;
    std::map<int, std::vector<MenuItem>> menus_;
    std::map<int, DialogTemplate> dialogs_;
    std::map<std::string, std::function<QCursor()>> cursors_;
    std::map<int, QImage> bitmaps_;
};

}  // namespace ctl
