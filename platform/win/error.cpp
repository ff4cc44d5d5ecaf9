#include "platform/win/error.h"

#include <array>
#include <utility>

namespace win {
namespace {

struct KnownError {
    long number;
    const char* text;
};

// The runtime's English texts for the numbers this system meets.
constexpr std::array kKnownErrors{
    KnownError{3, "Return without GoSub"},
    KnownError{5, "Invalid procedure call or argument"},
    KnownError{6, "Overflow"},
    KnownError{7, "Out of memory"},
    KnownError{9, "Subscript out of range"},
    KnownError{11, "Division by zero"},
    KnownError{13, "Type mismatch"},
    KnownError{52, "Bad file name or number"},
    KnownError{53, "File not found"},
    KnownError{54, "Bad file mode"},
    KnownError{55, "File already open"},
    KnownError{57, "Device I/O error"},
    KnownError{58, "File already exists"},
    KnownError{61, "Disk full"},
    KnownError{62, "Input past end of file"},
    KnownError{67, "Too many files"},
    KnownError{68, "Device unavailable"},
    KnownError{70, "Permission denied"},
    KnownError{71, "Disk not ready"},
    KnownError{74, "Can't rename with different drive"},
    KnownError{75, "Path/File access error"},
    KnownError{76, "Path not found"},
    KnownError{91, "Object variable or With block variable not set"},
    KnownError{94, "Invalid use of Null"},
    KnownError{380, "Invalid property value"},
    KnownError{381, "Invalid property array index"},
    KnownError{438, "Object doesn't support this property or method"},
    KnownError{481, "Invalid picture"},
};

}  // namespace

std::string RuntimeErrorText(long number) {
    for (const auto& known : kKnownErrors) {
        if (known.number == number) return known.text;
    }
    return "Application-defined or object-defined error";
}

void Raise(long number, std::string source) {
    throw RuntimeError(number, RuntimeErrorText(number), std::move(source));
}

}  // namespace win
