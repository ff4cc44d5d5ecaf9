// The runtime's file functions on Windows paths (platform/win's files.h does the work) and its
// sequential files: Open ... For Input/Output/Append As #n, Line Input #n, Print #n, EOF(n),
// Close #n. Sequential files hold cp1252 text with CR LF line ends; the program's side is UTF-8.
//
// Errors are the runtime's: 52 bad file name or number (also a file number not open), 53 file
// not found, 54 bad file mode, 55 file already open, 62 input past end of file, 68 device
// unavailable, 76 path not found.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/win/files.h"

namespace forms {

// Dir(pattern) starts a search and answers the first name; Dir() the next ones; "" at the end.
// Dir() before any search raises 5.
std::string Dir(std::string_view pattern);
std::string Dir();

double FileDateTime(std::string_view path);   // an OLE date, local time
double FileLen(std::string_view path);
void FileCopy(std::string_view from, std::string_view to);
// Kill deletes one file, or every file a pattern with * or ? matches (53 when none does).
void Kill(std::string_view path);
// Name from As to.
void Name(std::string_view from, std::string_view to);
// Environ(name): the variable's value, "" when it is not set.
std::string Environ(std::string_view name);

enum class FileMode { Input, Output, Append };

class SequentialFiles {
public:
    SequentialFiles();
    ~SequentialFiles();
    SequentialFiles(const SequentialFiles&) = delete;
    SequentialFiles& operator=(const SequentialFiles&) = delete;

    void Open(std::string_view path, FileMode mode, int number);
    // The next line without its end (CR LF, CR or LF); 62 at the end of the file.
    std::string LineInput(int number);
    // Print #n, text: the text and CR LF.
    void Print(int number, std::string_view text);
    bool Eof(int number);
    void Close(int number);
    void CloseAll();
    int FreeFile() const;

private:
    struct OpenFile;
    OpenFile& Get(int number);
    std::map<int, std::unique_ptr<OpenFile>> files_;
};

// The process's file numbers, as the runtime keeps them.
SequentialFiles& Files();

}  // namespace forms
