// The runtime's trappable error: one exception type for every layer.
//
// Every trappable error carries a number: the forms runtime's (53 "File not found", 76 "Path not
// found", ...), the database engine's (3024, 3265, ...) or the component layer's (an HRESULT mapped
// to a number). The program's error traps dispatch on that number, so every platform layer raises
// this type with the number and English description its callers expect, and nothing else: a stray
// number sends a recovery down the wrong branch.
#pragma once

#include <stdexcept>
#include <string>

namespace win {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(long number, std::string description, std::string source = {})
        : std::runtime_error(description),
          number_(number),
          description_(std::move(description)),
          source_(std::move(source)) {}

    long Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }
    const std::string& Source() const noexcept { return source_; }

private:
    long number_;
    std::string description_;
    std::string source_;
};

// The forms runtime's own numbers that the stand-ins below the forms layer raise.
namespace err {
inline constexpr long InvalidProcedureCall = 5;
inline constexpr long Overflow = 6;
inline constexpr long SubscriptOutOfRange = 9;
inline constexpr long TypeMismatch = 13;
inline constexpr long BadFileName = 52;
inline constexpr long FileNotFound = 53;
inline constexpr long BadFileMode = 54;
inline constexpr long FileAlreadyOpen = 55;
inline constexpr long DeviceIOError = 57;
inline constexpr long FileAlreadyExists = 58;
inline constexpr long InputPastEnd = 62;
inline constexpr long DeviceUnavailable = 68;
inline constexpr long PermissionDenied = 70;
inline constexpr long PathFileAccessError = 75;
inline constexpr long PathNotFound = 76;
inline constexpr long ObjectNotSet = 91;
inline constexpr long InvalidUseOfNull = 94;
inline constexpr long ObjectUnloaded = 364;
inline constexpr long NoSuchMember = 438;

// A folder on a drive or path this machine cannot reach: a bad name, a device that does not
// answer, a path that is not there.
constexpr bool IsUnreachableFolder(long number) {
    return number == BadFileName || number == DeviceUnavailable || number == PathNotFound;
}
}  // namespace err

// Raises `number` with the runtime's English text for it ("File not found" for 53).
[[noreturn]] void Raise(long number, std::string source = {});

// The runtime's English text for one of its own numbers; "Application-defined or object-defined
// error" for a number it does not know.
std::string RuntimeErrorText(long number);

}  // namespace win
