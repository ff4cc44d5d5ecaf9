// The registry store.
//
// On disk, "registry.dat" under the machine root is a text file: a header line, then one line per
// key ("K", root, path) in tree order, each followed by its values ("V", root, path, name, "S" and
// the text, or "D" and the decimal number). Fields are separated by tabs; '%', tab, CR and LF
// inside a field are written as %25, %09, %0D and %0A. Lines that do not parse are skipped, so a
// damaged line loses its own entry and nothing else.
//
// Invariants:
//   1. Readers see a whole file: writers replace it by rename, never rewrite it in place.
//   2. Every change is read-modify-write under two locks held together: a process mutex (threads)
//      and an open-file-description lock on "registry.lock" beside the store (processes).
//   3. Names keep the case of their first writing; lookups fold case.
#include "platform/win/registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <utility>

#include "platform/win/atomic_write.h"
#include "platform/win/cp1252.h"
#include "platform/win/paths.h"

namespace win {
namespace {
namespace fs = std::filesystem;

constexpr std::string_view kHeader = "REGISTRY 1";

struct Key {
    std::string name;
    std::vector<std::pair<std::string, RegistryValue>> values;
    std::vector<Key> subkeys;
};

struct Store {
    Key roots[2];
    Key& Root(RootKey root) { return roots[root == RootKey::ClassesRoot ? 0 : 1]; }
};

constexpr const char* kRootNames[2] = {"HKCR", "HKLM"};

std::vector<std::string> SplitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('\\', start), path.size());
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

Key* FindChild(Key& key, std::string_view name) {
    for (auto& child : key.subkeys) {
        if (EqualsIgnoringCase(child.name, name)) return &child;
    }
    return nullptr;
}

Key* FindKey(Key& root, std::string_view path) {
    Key* key = &root;
    for (const auto& part : SplitKeyPath(path)) {
        key = FindChild(*key, part);
        if (key == nullptr) return nullptr;
    }
    return key;
}

Key& CreatePath(Key& root, std::string_view path) {
    Key* key = &root;
    for (const auto& part : SplitKeyPath(path)) {
        Key* child = FindChild(*key, part);
        if (child == nullptr) child = &key->subkeys.emplace_back(Key{part, {}, {}});
        key = child;
    }
    return *key;
}

RegistryValue* FindValue(Key& key, std::string_view name) {
    for (auto& [valueName, value] : key.values) {
        if (EqualsIgnoringCase(valueName, name)) return &value;
    }
    return nullptr;
}

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '%': out += "%25"; break;
            case '\t': out += "%09"; break;
            case '\r': out += "%0D"; break;
            case '\n': out += "%0A"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '%' && i + 2 < text.size() &&
            std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr ==
                text.data() + i + 3) {
            out += static_cast<char>(value);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

void WriteKey(std::ostream& out, const char* root, const std::string& path, const Key& key) {
    out << "K\t" << root << '\t' << Escape(path) << '\n';
    for (const auto& [name, value] : key.values) {
        out << "V\t" << root << '\t' << Escape(path) << '\t' << Escape(name) << '\t';
        if (const auto* text = std::get_if<std::string>(&value)) {
            out << "S\t" << Escape(*text) << '\n';
        } else {
            out << "D\t" << std::get<std::uint32_t>(value) << '\n';
        }
    }
    for (const auto& child : key.subkeys) {
        WriteKey(out, root, path.empty() ? child.name : path + '\\' + child.name, child);
    }
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

std::optional<RegistryValue> ParseValue(std::string_view kind, std::string_view data) {
    std::optional<RegistryValue> value;
    if (kind == "S") {
        value.emplace(std::in_place_type<std::string>, Unescape(data));
        return value;
    }
    std::uint32_t number = 0;
    const auto [end, ec] = std::from_chars(data.data(), data.data() + data.size(), number);
    if (kind == "D" && ec == std::errc{} && end == data.data() + data.size()) {
        value.emplace(std::in_place_type<std::uint32_t>, number);
    }
    return value;
}

void ParseLine(Store& store, std::string_view line) {
    const auto fields = SplitFields(line);
    if (fields.size() < 3) return;
    Key* root = nullptr;
    for (int i = 0; i < 2; ++i) {
        if (fields[1] == kRootNames[i]) root = &store.roots[i];
    }
    if (root == nullptr) return;
    const auto path = Unescape(fields[2]);
    if (fields[0] == "K" && fields.size() == 3) {
        CreatePath(*root, path);
    } else if (fields[0] == "V" && fields.size() == 6) {
        auto value = ParseValue(fields[4], fields[5]);
        if (!value) return;
        Key& key = CreatePath(*root, path);
        const auto name = Unescape(fields[3]);
        if (auto* existing = FindValue(key, name)) {
            *existing = std::move(*value);
        } else {
            key.values.emplace_back(name, std::move(*value));
        }
    }
}

fs::path StorePath() { return MachineRoot() / "registry.dat"; }

Store Load() {
    Store store;
    std::ifstream in(StorePath(), std::ios::binary);
    std::string line;
    if (!std::getline(in, line) || line != kHeader) return store;
    while (std::getline(in, line)) ParseLine(store, line);
    return store;
}

// Writes the whole store beside the old one and renames it into place.
bool Save(const Store& store) {
    std::ostringstream out;
    out << kHeader << '\n';
    for (int i = 0; i < 2; ++i) WriteKey(out, kRootNames[i], "", store.roots[i]);
    return WriteFileAtomically(StorePath(), out.str());
}

std::mutex processMutex;

// Holds the registry for one read-modify-write against other threads and processes.
class ExclusiveLock {
public:
    ExclusiveLock() : guard_(processMutex) {
        std::error_code ec;
        fs::create_directories(MachineRoot(), ec);
        fd_ = ::open((MachineRoot() / "registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) return;
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        while (::fcntl(fd_, F_OFD_SETLKW, &lock) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~ExclusiveLock() {
        if (fd_ >= 0) ::close(fd_);   // closing the description releases its lock
    }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    std::lock_guard<std::mutex> guard_;
    int fd_ = -1;
};

// Runs `change` on the current store and saves the result when it reports Success.
RegStatus Modify(const std::function<RegStatus(Store&)>& change) {
    ExclusiveLock lock;
    if (!lock.Held()) return RegStatus::AccessDenied;
    Store store = Load();
    const RegStatus status = change(store);
    if (status != RegStatus::Success) return status;
    return Save(store) ? RegStatus::Success : RegStatus::AccessDenied;
}

std::vector<std::string> Names(const std::vector<Key>& keys) {
    std::vector<std::string> names;
    for (const auto& key : keys) names.push_back(key.name);
    return names;
}

}  // namespace

namespace registry {

RegStatus CreateKey(RootKey root, std::string_view path) {
    return Modify([&](Store& store) {
        CreatePath(store.Root(root), path);
        return RegStatus::Success;
    });
}

bool KeyExists(RootKey root, std::string_view path) {
    Store store = Load();
    return FindKey(store.Root(root), path) != nullptr;
}

RegStatus SetValue(RootKey root, std::string_view path, std::string_view name,
                   const RegistryValue& value) {
    return Modify([&](Store& store) {
        Key& key = CreatePath(store.Root(root), path);
        if (auto* existing = FindValue(key, name)) {
            *existing = value;
        } else {
            key.values.emplace_back(std::string(name), value);
        }
        return RegStatus::Success;
    });
}

std::optional<RegistryValue> QueryValue(RootKey root, std::string_view path, std::string_view name) {
    Store store = Load();
    Key* key = FindKey(store.Root(root), path);
    if (key == nullptr) return std::nullopt;
    if (auto* value = FindValue(*key, name)) return *value;
    return std::nullopt;
}

std::optional<std::string> QueryString(RootKey root, std::string_view path, std::string_view name) {
    auto value = QueryValue(root, path, name);
    if (!value || !std::holds_alternative<std::string>(*value)) return std::nullopt;
    return std::get<std::string>(*value);
}

RegStatus DeleteValue(RootKey root, std::string_view path, std::string_view name) {
    return Modify([&](Store& store) {
        Key* key = FindKey(store.Root(root), path);
        if (key == nullptr) return RegStatus::NotFound;
        for (auto it = key->values.begin(); it != key->values.end(); ++it) {
            if (EqualsIgnoringCase(it->first, name)) {
                key->values.erase(it);
                return RegStatus::Success;
            }
        }
        return RegStatus::NotFound;
    });
}

RegStatus DeleteTree(RootKey root, std::string_view path) {
    auto parts = SplitKeyPath(path);
    if (parts.empty()) return RegStatus::AccessDenied;   // a root key cannot be deleted
    return Modify([&](Store& store) {
        const std::string leaf = parts.back();
        parts.pop_back();
        Key* parent = &store.Root(root);
        for (const auto& part : parts) {
            parent = FindChild(*parent, part);
            if (parent == nullptr) return RegStatus::NotFound;
        }
        for (auto it = parent->subkeys.begin(); it != parent->subkeys.end(); ++it) {
            if (EqualsIgnoringCase(it->name, leaf)) {
                parent->subkeys.erase(it);
                return RegStatus::Success;
            }
        }
        return RegStatus::NotFound;
    });
}

std::vector<std::string> SubKeys(RootKey root, std::string_view path) {
    Store store = Load();
    Key* key = FindKey(store.Root(root), path);
    return key == nullptr ? std::vector<std::string>{} : Names(key->subkeys);
}

std::vector<std::string> ValueNames(RootKey root, std::string_view path) {
    Store store = Load();
    Key* key = FindKey(store.Root(root), path);
    std::vector<std::string> names;
    if (key != nullptr) {
        for (const auto& value : key->values) names.push_back(value.first);
    }
    return names;
}

}  // namespace registry
}  // namespace win
