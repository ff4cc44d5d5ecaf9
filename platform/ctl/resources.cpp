#include "platform/ctl/resources.h"

#include "platform/win/cp1252.h"

namespace ctl {

void ResourceTable::AddString(int id, std::string utf8) { strings_[id] = std::move(utf8); }

void ResourceTable::AddStrings(std::initializer_list<std::pair<int, const char*>> rows) {
    for (const auto& [id, text] : rows) strings_[id] = text;
}

void ResourceTable::AddMenu(int id, std::vector<MenuItem> items) { menus_[id] = std::move(items); }

void ResourceTable::AddDialog(int id, DialogTemplate dialog) { dialogs_[id] = std::move(dialog); }

void ResourceTable::AddCursor(std::string name, std::function<QCursor()> make) {
    cursors_[std::move(name)] = std::move(make);
}

void ResourceTable::AddBitmap(int id, QImage image) { bitmaps_[id] = std::move(image); }

std::string ResourceTable::LoadString(int id, std::size_t bufferSize) const {
    std::string text = win::Utf8ToCp1252(LoadStringUtf8(id));
    if (bufferSize > 0 && text.size() > bufferSize - 1) text.resize(bufferSize - 1);
    return text;
}

std::string ResourceTable::LoadStringUtf8(int id) const {
    const auto it = strings_.find(id);
    return it == strings_.end() ? std::string() : it->second;
}

const std::vector<MenuItem>* ResourceTable::Menu(int id) const {
    const auto it = menus_.find(id);
    return it == menus_.end() ? nullptr : &it->second;
}

const DialogTemplate* ResourceTable::Dialog(int id) const {
    const auto it = dialogs_.find(id);
    return it == dialogs_.end() ? nullptr : &it->second;
}

std::optional<QCursor> ResourceTable::Cursor(const std::string& name) const {
    const auto it = cursors_.find(name);
    if (it == cursors_.end()) return std::nullopt;
    return it->second();
}

const QImage* ResourceTable::Bitmap(int id) const {
    const auto it = bitmaps_.find(id);
    return it == bitmaps_.end() ? nullptr : &it->second;
}

}  // namespace ctl
