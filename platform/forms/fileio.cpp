#include "platform/forms/fileio.h"

#include <fstream>
#include <iterator>

#include "platform/win/cp1252.h"
#include "platform/win/environment.h"
#include "platform/win/error.h"
#include "platform/win/oledate.h"
#include "platform/win/paths.h"

namespace forms {

namespace {

win::DirectorySearch& CurrentSearch() {
    static win::DirectorySearch search;
    return search;
}
bool searchStarted = false;

bool HasWildcards(std::string_view path) { return path.find_first_of("*?") != std::string_view::npos; }

// The folder part of a Windows path, with its closing backslash ("C:\A\" of "C:\A\b.txt").
std::string_view FolderOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

}  // namespace

std::string Dir(std::string_view pattern) {
    searchStarted = true;
    return CurrentSearch().First(pattern);
}

std::string Dir() {
    if (!searchStarted) win::Raise(win::err::InvalidProcedureCall, "Dir");
    return CurrentSearch().Next();
}

double FileDateTime(std::string_view path) { return win::OleDateFromCivil(win::FileDateTime(path)); }

double FileLen(std::string_view path) { return static_cast<double>(win::FileLength(path)); }

void FileCopy(std::string_view from, std::string_view to) { win::CopyFile(from, to); }

void Kill(std::string_view path) {
    if (!HasWildcards(path)) {
        win::DeleteFile(path);
        return;
    }
    win::DirectorySearch search;
    const std::string folder(FolderOf(path));
    int deleted = 0;
    for (std::string name = search.First(path); !name.empty(); name = search.Next()) {
        win::DeleteFile(folder + name);
        ++deleted;
    }
    if (deleted == 0) win::Raise(win::err::FileNotFound, "Kill");
}

void Name(std::string_view from, std::string_view to) { win::RenameFile(from, to); }

std::string Environ(std::string_view name) { return win::Environ(name).value_or(""); }

// --- Sequential files ----------------------------------------------------------------------------

struct SequentialFiles::OpenFile {
    FileMode mode;
    std::string content;   // Input: the whole file, cp1252
    std::size_t position = 0;
    std::ofstream out;     // Output, Append
};

SequentialFiles::SequentialFiles() = default;
SequentialFiles::~SequentialFiles() = default;

SequentialFiles& Files() {
    static SequentialFiles files;
    return files;
}

void SequentialFiles::Open(std::string_view path, FileMode mode, int number) {
    if (number < 1 || number > 511) win::Raise(win::err::BadFileName, "Open");
    if (files_.count(number)) win::Raise(win::err::FileAlreadyOpen, "Open");
    const auto host = win::HostPath(path);
    const std::string folder(FolderOf(path));
    if (!folder.empty() && !win::FolderExists(folder)) win::Raise(win::err::PathNotFound, "Open");
    auto file = std::make_unique<OpenFile>();
    file->mode = mode;
    if (mode == FileMode::Input) {
        if (!win::FileExists(path)) win::Raise(win::err::FileNotFound, "Open");
        std::ifstream in(host, std::ios::binary);
        if (!in) win::Raise(win::err::PermissionDenied, "Open");
        file->content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        if (win::FolderExists(path)) win::Raise(win::err::PathFileAccessError, "Open");
        file->out.open(host, std::ios::binary | (mode == FileMode::Append ? std::ios::app : std::ios::trunc));
        if (!file->out) win::Raise(win::err::PermissionDenied, "Open");
    }
    files_[number] = std::move(file);
}

SequentialFiles::OpenFile& SequentialFiles::Get(int number) {
    const auto it = files_.find(number);
    if (it == files_.end()) win::Raise(win::err::BadFileName, "File");
    return *it->second;
}

std::string SequentialFiles::LineInput(int number) {
    OpenFile& file = Get(number);
    if (file.mode != FileMode::Input) win::Raise(win::err::BadFileMode, "Line Input");
    if (file.position >= file.content.size()) win::Raise(win::err::InputPastEnd, "Line Input");
    const std::size_t end = file.content.find_first_of("\r\n", file.position);
    const std::size_t stop = end == std::string::npos ? file.content.size() : end;
    std::string line = file.content.substr(file.position, stop - file.position);
    file.position = stop;
    if (file.position < file.content.size() && file.content[file.position] == '\r') ++file.position;
    if (file.position < file.content.size() && file.content[file.position] == '\n') ++file.position;
    return win::Cp1252ToUtf8(line);
}

void SequentialFiles::Print(int number, std::string_view text) {
    OpenFile& file = Get(number);
    if (file.mode == FileMode::Input) win::Raise(win::err::BadFileMode, "Print");
    file.out << win::Utf8ToCp1252(text) << "\r\n";
    file.out.flush();
    if (!file.out) win::Raise(57, "Print");   // "Device I/O error"
}

bool SequentialFiles::Eof(int number) {
    OpenFile& file = Get(number);
    return file.mode != FileMode::Input || file.position >= file.content.size();
}

void SequentialFiles::Close(int number) {
    Get(number);
    files_.erase(number);
}

void SequentialFiles::CloseAll() { files_.clear(); }

int SequentialFiles::FreeFile() const {
    int number = 1;
    while (files_.count(number)) ++number;
    return number;
}

}  // namespace forms
