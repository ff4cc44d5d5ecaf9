// The registry store.
//
// On disk, "registry.dat" under the machine root is a text file: a header line, then one line per
// key ("K", root, path) in tree order, each followed by its values ("V", root, path, name, "S" and
// the text, or "D" and the decimal number). Fields are separated by tabs; '%', tab, CR and LF
// inside a field are written as %25, %09, %0D and %0A. Lines that do not parse, and keys and
// values beyond the limits below, are skipped, so a damaged line loses its own entry and nothing
// else. A file edited on another system reads as well: a leading UTF-8 byte-order mark and CR LF
// line ends are allowed.
//
// Invariants:
//   1. Readers see a whole file: writers replace it by rename, never rewrite it in place.
//   2. Every change is read-modify-write under two locks held together: a process mutex (threads)
//      and an open-file-description lock on "registry.lock" beside the store (processes). A batch
//      holds both for its whole life, so its load, its changes and its save are one such change.
//   3. Names keep the case of their first writing; lookups fold case.
//   4. A store whose first line is not the header is never overwritten: a change to it fails with
//      BadDb, and the file is renamed aside ("registry.dat.damaged-N") and kept for whoever
//      repairs it. Until then it reads as empty. A store that cannot be read fails every change
//      with AccessDenied and stays as it is.
//   5. No key is deeper than kMaxKeyDepth, so walking, writing and freeing the tree is bounded.
#include "platform/win/registry.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <mutex>
#include <sstream>
#include <utility>

#include "platform/win/atomic_write.h"
#include "platform/win/cp1252.h"
#include "platform/win/file_lock.h"
#include "platform/win/paths.h"
#include "platform/win/text_file.h"

namespace win {
namespace {
namespace fs = std::filesystem;

constexpr std::string_view kHeader = "REGISTRY 1";

// The Windows registry's own limits. A write beyond them is refused with InvalidParameter, as
// the platform refuses it, and a line beyond them is skipped when read: a path of 100,000 levels
// would otherwise make a file of gigabytes, every later call slow, and freeing the tree deep.
constexpr std::size_t kMaxKeyNameChars = 255;       // one key name, between backslashes
constexpr std::size_t kMaxKeyDepth = 512;           // key names in one path
constexpr std::size_t kMaxValueNameChars = 16383;
constexpr std::size_t kMaxValueBytes = 1024 * 1024; // the text of a string value

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

// Characters of UTF-8 text: every byte that does not continue a sequence.
std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// The key names of a path; nothing when a name or the depth is beyond the limits.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('\\', start), path.size());
        if (end > start) {
            const auto name = path.substr(start, end - start);
            if (parts.size() == kMaxKeyDepth || CharacterCount(name) > kMaxKeyNameChars) return std::nullopt;
            parts.emplace_back(name);
        }
        start = end + 1;
    }
    return parts;
}

bool ValueFits(std::string_view name, const RegistryValue& value) {
    const auto* text = std::get_if<std::string>(&value);
    return CharacterCount(name) <= kMaxValueNameChars && (text == nullptr || text->size() <= kMaxValueBytes);
}

Key* FindChild(Key& key, std::string_view name) {
    for (auto& child : key.subkeys) {
        if (EqualsIgnoringCase(child.name, name)) return &child;
    }
    return nullptr;
}

Key* FindKey(Key& root, std::string_view path) {
    const auto parts = SplitKeyPath(path);
    if (!parts) return nullptr;
    Key* key = &root;
    for (const auto& part : *parts) {
        key = FindChild(*key, part);
        if (key == nullptr) return nullptr;
    }
    return key;
}

// The key at `parts` (from SplitKeyPath), created with its missing parents.
Key& CreatePath(Key& root, const std::vector<std::string>& parts) {
    Key* key = &root;
    for (const auto& part : parts) {
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

void WriteKeyLines(std::ostream& out, const char* root, const std::string& path, const Key& key) {
    out << "K\t" << root << '\t' << Escape(path) << '\n';
    for (const auto& [name, value] : key.values) {
        out << "V\t" << root << '\t' << Escape(path) << '\t' << Escape(name) << '\t';
        if (const auto* text = std::get_if<std::string>(&value)) {
            out << "S\t" << Escape(*text) << '\n';
        } else {
            out << "D\t" << std::get<std::uint32_t>(value) << '\n';
        }
    }
}

// Writes a root's tree, each key before its subkeys, walking with a stack of its own so that
// the depth of the tree never becomes the depth of the call stack.
void WriteTree(std::ostream& out, const char* root, const Key& top) {
    struct Pending {
        const Key* key;
        std::string path;
    };
    std::vector<Pending> stack{{&top, {}}};
    while (!stack.empty()) {
        const Pending next = std::move(stack.back());
        stack.pop_back();
        WriteKeyLines(out, root, next.path, *next.key);
        for (auto child = next.key->subkeys.rbegin(); child != next.key->subkeys.rend(); ++child) {
            stack.push_back({&*child, next.path.empty() ? child->name : next.path + '\\' + child->name});
        }
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
    const auto path = SplitKeyPath(Unescape(fields[2]));
    if (!path) return;
    if (fields[0] == "K" && fields.size() == 3) {
        CreatePath(*root, *path);
    } else if (fields[0] == "V" && fields.size() == 6) {
        auto value = ParseValue(fields[4], fields[5]);
        const auto name = Unescape(fields[3]);
        if (!value || !ValueFits(name, *value)) return;
        Key& key = CreatePath(*root, *path);
        if (auto* existing = FindValue(key, name)) {
            *existing = std::move(*value);
        } else {
            key.values.emplace_back(name, std::move(*value));
        }
    }
}

fs::path StorePath() { return MachineRoot() / "registry.dat"; }

enum class StoreState {
    Read,        // read, or absent or empty: nothing to lose
    Damaged,     // the first line is not the header
    Unreadable,  // there, but it cannot be read
};

struct LoadedStore {
    Store store;
    StoreState state = StoreState::Read;
};

LoadedStore Load() {
    LoadedStore loaded;
    std::ifstream in(StorePath(), std::ios::binary);
    if (!in) {
        std::error_code ec;
        if (fs::exists(StorePath(), ec) || ec) loaded.state = StoreState::Unreadable;
        return loaded;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        loaded.state = StoreState::Unreadable;
        return loaded;
    }
    std::string_view text = content.view();
    SkipByteOrderMark(text);
    // A CR inside a field is written %0D, so a CR at a line's end is its line break's.
    bool header = true;
    ForEachLine(text, [&](std::string_view line) {
        if (loaded.state == StoreState::Damaged) return;
        if (std::exchange(header, false)) {
            if (line != kHeader) loaded.state = StoreState::Damaged;
            return;
        }
        ParseLine(loaded.store, line);
    });
    return loaded;
}

// Writes the whole store beside the old one and renames it into place.
bool Save(const Store& store) {
    std::ostringstream out;
    out << kHeader << '\n';
    for (int i = 0; i < 2; ++i) WriteTree(out, kRootNames[i], store.roots[i]);
    return WriteFileAtomically(StorePath(), out.str());
}

// Renames a damaged store to the first free "registry.dat.damaged-N" and says so on the error
// stream; the change that found it fails with BadDb, and the next one starts a new store.
RegStatus SetDamagedStoreAside() {
    const fs::path damaged = StorePath();
    std::error_code ec;
    for (int n = 1; n < 1000; ++n) {
        const fs::path aside = damaged.string() + ".damaged-" + std::to_string(n);
        if (fs::exists(aside, ec) || ec) continue;
        fs::rename(damaged, aside, ec);
        if (ec) break;
        std::cerr << "registry: " << damaged.string()
                  << " does not start with its header and was not changed; it is kept as "
                  << aside.string() << '\n';
        return RegStatus::BadDb;
    }
    std::cerr << "registry: " << damaged.string()
              << " does not start with its header and was not changed; it could not be renamed aside\n";
    return RegStatus::BadDb;
}

std::mutex processMutex;

fs::path LockPath() { return MachineRoot() / "registry.lock"; }

}  // namespace

// The open batch of a thread: the lock it holds and the copy of the store its changes go to.
struct registry::Batch::State {
    std::unique_ptr<ExclusiveFileLock> lock;
    LoadedStore loaded;
    bool dirty = false;   // changed since loaded or last saved
};

namespace {

thread_local registry::Batch::State* threadBatch = nullptr;

// Runs `change` on `loaded` as a change to the store it was read from. A damaged store is set
// aside and the change fails; the store then starts empty, as the next load would find it.
RegStatus Apply(LoadedStore& loaded, const std::function<RegStatus(Store&)>& change) {
    if (loaded.state == StoreState::Unreadable) return RegStatus::AccessDenied;
    if (loaded.state == StoreState::Damaged) {
        loaded = LoadedStore{};
        return SetDamagedStoreAside();
    }
    return change(loaded.store);
}

// Runs `change` on the current store and saves the result when it reports Success; inside a
// batch, on the batch's copy, saved by its Commit.
RegStatus Modify(const std::function<RegStatus(Store&)>& change) {
    if (registry::Batch::State* batch = threadBatch) {
        const RegStatus status = Apply(batch->loaded, change);
        if (status == RegStatus::Success) batch->dirty = true;
        return status;
    }
    ExclusiveFileLock lock(processMutex, LockPath());
    if (!lock.Held()) return RegStatus::AccessDenied;
    LoadedStore loaded = Load();
    const RegStatus status = Apply(loaded, change);
    if (status != RegStatus::Success) return status;
    return Save(loaded.store) ? RegStatus::Success : RegStatus::AccessDenied;
}

// The store as this thread sees it: its batch's copy, or the file read into `scratch`.
Store& Current(Store& scratch) {
    if (threadBatch != nullptr) return threadBatch->loaded.store;
    scratch = Load().store;
    return scratch;
}

std::vector<std::string> Names(const std::vector<Key>& keys) {
    std::vector<std::string> names;
    for (const auto& key : keys) names.push_back(key.name);
    return names;
}

}  // namespace

namespace registry {

RegStatus CreateKey(RootKey root, std::string_view path) {
    const auto parts = SplitKeyPath(path);
    if (!parts) return RegStatus::InvalidParameter;
    return Modify([&](Store& store) {
        CreatePath(store.Root(root), *parts);
        return RegStatus::Success;
    });
}

bool KeyExists(RootKey root, std::string_view path) {
    Store scratch;
    return FindKey(Current(scratch).Root(root), path) != nullptr;
}

RegStatus SetValue(RootKey root, std::string_view path, std::string_view name,
                   const RegistryValue& value) {
    const auto parts = SplitKeyPath(path);
    if (!parts || !ValueFits(name, value)) return RegStatus::InvalidParameter;
    return Modify([&](Store& store) {
        Key& key = CreatePath(store.Root(root), *parts);
        if (auto* existing = FindValue(key, name)) {
            *existing = value;
        } else {
            key.values.emplace_back(std::string(name), value);
        }
        return RegStatus::Success;
    });
}

std::optional<RegistryValue> QueryValue(RootKey root, std::string_view path, std::string_view name) {
    Store scratch;
    Key* key = FindKey(Current(scratch).Root(root), path);
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
    if (!parts) return RegStatus::NotFound;
    if (parts->empty()) return RegStatus::AccessDenied;   // a root key cannot be deleted
    return Modify([&](Store& store) {
        const std::string leaf = parts->back();
        parts->pop_back();
        Key* parent = &store.Root(root);
        for (const auto& part : *parts) {
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
    Store scratch;
    Key* key = FindKey(Current(scratch).Root(root), path);
    return key == nullptr ? std::vector<std::string>{} : Names(key->subkeys);
}

std::vector<std::string> ValueNames(RootKey root, std::string_view path) {
    Store scratch;
    Key* key = FindKey(Current(scratch).Root(root), path);
    std::vector<std::string> names;
    if (key != nullptr) {
        for (const auto& value : key->values) names.push_back(value.first);
    }
    return names;
}

Batch::Batch() {
    if (threadBatch != nullptr) return;   // joins the thread's batch
    auto state = std::make_unique<State>();
    state->lock = std::make_unique<ExclusiveFileLock>(processMutex, LockPath());
    if (!state->lock->Held()) return;
    state->loaded = Load();
    state_ = std::move(state);
    threadBatch = state_.get();
}

Batch::~Batch() {
    if (state_ != nullptr) threadBatch = nullptr;
}

RegStatus Batch::Commit() {
    if (state_ == nullptr || !state_->dirty) return RegStatus::Success;
    if (!Save(state_->loaded.store)) return RegStatus::AccessDenied;
    state_->dirty = false;
    return RegStatus::Success;
}

}  // namespace registry
}  // namespace win
