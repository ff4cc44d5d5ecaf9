#include "platform/dao/errors.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <charconv>
#include <mutex>
#include <vector>

#include "platform/win/error.h"
#include "platform/win/files.h"

namespace dao {
namespace {

struct JetText {
    long number;
    const char* text;  // {s} is the subject, {u} the user, {m} the machine
};

constexpr std::array kJetTexts{
    JetText{3000, "Reserved error ({s}); there is no message for this error."},
    JetText{3003, "Could not start transaction; too many transactions already nested."},
    JetText{3008, "The table '{s}' is already opened exclusively by another user, or it is already "
                  "open through the user interface and cannot be manipulated programmatically."},
    JetText{3010, "Table '{s}' already exists."},
    JetText{3012, "Object '{s}' already exists."},
    JetText{3019, "Operation invalid without a current index."},
    JetText{3020, "Update or CancelUpdate without AddNew or Edit."},
    JetText{3021, "No current record."},
    JetText{3022, "The changes you requested to the table were not successful because they would "
                  "create duplicate values in the index, primary key, or relationship. Change the "
                  "data in the field or fields that contain duplicate data, remove the index, or "
                  "redefine the index to permit duplicate entries and try again."},
    JetText{3024, "Could not find file '{s}'."},
    JetText{3026, "Not enough space on disk."},
    JetText{3027, "Cannot update. Database or object is read-only."},
    JetText{3031, "Not a valid password."},
    JetText{3034, "You tried to commit or rollback a transaction without first beginning a "
                  "transaction."},
    JetText{3035, "System resource exceeded."},
    JetText{3043, "Disk or network error."},
    JetText{3044, "'{s}' is not a valid path. Make sure that the path name is spelled correctly "
                  "and that you are connected to the server on which the file resides."},
    JetText{3045, "Could not use '{s}'; file already in use."},
    JetText{3046, "Could not save; currently locked by another user."},
    JetText{3058, "Index or primary key cannot contain a Null value."},
    JetText{3078, "The database engine cannot find the input table or query '{s}'. Make sure it "
                  "exists and that its name is spelled correctly."},
    JetText{3158, "Could not save record; currently locked by another user."},
    JetText{3125, "'{s}' is not a valid name. Make sure that it does not include invalid characters "
                  "or punctuation and that it is not too long."},
    JetText{3163, "The field is too small to accept the amount of data you attempted to add. Try "
                  "inserting or pasting less data."},
    JetText{3167, "Record is deleted."},
    JetText{3186, "Could not save; currently locked by user '{u}' on machine '{m}'."},
    JetText{3187, "Could not read; currently locked by user '{u}' on machine '{m}'."},
    JetText{3188, "Could not update; currently locked by another session on this machine."},
    JetText{3189, "Table '{s}' is exclusively locked by user '{u}' on machine '{m}'."},
    JetText{3191, "Cannot define field more than once."},
    JetText{3197, "The database engine stopped the process because you and another user are "
                  "attempting to change the same data at the same time."},
    JetText{3200, "The record cannot be deleted or changed because table '{s}' includes related "
                  "records."},
    JetText{3201, "You cannot add or change a record because a related record is required in "
                  "table '{s}'."},
    JetText{3202, "Could not save; currently locked by another user."},
    JetText{3204, "Database already exists."},
    JetText{3211, "The database engine could not lock table '{s}' because it is already in use "
                  "by another person or process."},
    JetText{3212, "Could not lock table '{s}'; currently in use by user '{u}' on machine '{m}'."},
    JetText{3218, "Could not update; currently locked."},
    JetText{3219, "Invalid operation."},
    JetText{3251, "Operation is not supported for this type of object."},
    JetText{3259, "Invalid field data type."},
    JetText{3260, "Could not update; currently locked by user '{u}' on machine '{m}'."},
    JetText{3262, "Could not lock table '{s}'; currently in use by user '{u}' on machine '{m}'."},
    JetText{3264, "No field defined--cannot append TableDef or Index."},
    JetText{3265, "Item not found in this collection."},
    JetText{3270, "Property not found."},
    JetText{3280, "Cannot delete a field that is part of an index or is needed by the system."},
    JetText{3283, "Primary key already exists."},
    JetText{3284, "Index already exists."},
    JetText{3343, "Unrecognized database format '{s}'."},
    JetText{3349, "Numeric field overflow."},
    JetText{3367, "Cannot append. An object with that name already exists in the collection."},
    JetText{3420, "Object invalid or no longer set."},
    JetText{3421, "Data type conversion error."},
};

std::string MachineName() {
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0) return "localhost";
    return name.data();
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
}

struct Fault {
    long number;
    std::string operation;
    std::string pattern;
    int count;
    int skip;
};

std::mutex& FaultMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<Fault>& Faults() {
    static std::vector<Fault> faults;
    return faults;
}

std::atomic<bool> gFaultsArmed{false};  // lets every operation skip the lock when none is armed

// A trigger raises "jet:NNNN" to carry its own number through SQLite.
long NumberFromRaise(std::string_view message) {
    const auto at = message.find("jet:");
    if (at == std::string_view::npos) return 0;
    long number = 0;
    const char* first = message.data() + at + 4;
    const auto [end, ec] = std::from_chars(first, message.data() + message.size(), number);
    return ec == std::errc{} && end != first ? number : 0;
}

long BusyNumber(Operation op) {
    switch (op) {
    case Operation::Read: return jet::CouldNotRead;
    case Operation::Structure: return jet::TableLocked;
    case Operation::Write:
    case Operation::Commit: break;
    }
    return jet::UpdateLocked;
}

}  // namespace

std::string JetErrorText(long number, std::string_view subject) {
    std::string text = kJetTexts[0].text;
    for (const auto& known : kJetTexts) {
        if (known.number == number) text = known.text;
    }
    // An unknown number names itself in the generic text; the string must outlive the replace.
    const std::string numberText = std::to_string(number);
    if (number != jet::ReservedError && text == kJetTexts[0].text) subject = numberText;
    ReplaceAll(text, "{s}", subject);
    ReplaceAll(text, "{u}", "Admin");
    ReplaceAll(text, "{m}", MachineName());
    return text;
}

void RaiseJet(long number, std::string_view subject) {
    if (number < jet::ReservedError) win::Raise(number, "DAO.DBEngine");
    throw win::RuntimeError(number, JetErrorText(number, subject), "DAO.DBEngine");
}

long JetNumberForSqlite(int code, std::string_view message, Operation op) {
    if (const long raised = NumberFromRaise(message)) return raised;
    switch (code) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY: return jet::DuplicateKey;
    case SQLITE_CONSTRAINT_NOTNULL: return jet::NullInKey;
    // The file was renamed or its folder removed since the open: its journal cannot be made
    // beside it any more. The folder is gone, not read-only.
    case SQLITE_READONLY_DBMOVED: return jet::InvalidPath;
    default: break;
    }
    switch (code & 0xff) {
    case SQLITE_BUSY: return BusyNumber(op);
    case SQLITE_LOCKED: return jet::TableInUse;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: return jet::DatabaseNotRecognised;
    case SQLITE_READONLY: return jet::ReadOnly;
    case SQLITE_FULL: return jet::DiskFull;
    case SQLITE_NOMEM: return jet::ResourceExceeded;
    case SQLITE_IOERR: return jet::DiskError;
    case SQLITE_CANTOPEN: return jet::FileNotFound;
    case SQLITE_CONSTRAINT: return jet::DuplicateKey;
    default: break;
    }
    return jet::ReservedError;
}

void RaiseSqlite(sqlite3* db, Operation op, std::string_view subject) {
    const int code = sqlite3_extended_errcode(db);
    const std::string message = sqlite3_errmsg(db);
    const long number = JetNumberForSqlite(code, message, op);
    if (number == jet::ReservedError) {
        throw win::RuntimeError(number, JetErrorText(number, message), "DAO.DBEngine");
    }
    RaiseJet(number, subject);
}

void InjectFault(long number, std::string operation, std::string pathPattern, int count, int skip) {
    std::lock_guard lock(FaultMutex());
    Faults().push_back({number, std::move(operation), std::move(pathPattern), count, skip});
    gFaultsArmed = true;
}

void ClearFaults() {
    std::lock_guard lock(FaultMutex());
    Faults().clear();
    gFaultsArmed = false;
}

void CheckFault(std::string_view operation, std::string_view windowsPath) {
    if (!gFaultsArmed) return;
    long number = 0;
    {
        std::lock_guard lock(FaultMutex());
        auto& faults = Faults();
        for (auto it = faults.begin(); it != faults.end(); ++it) {
            if (it->operation != "*" && !win::MatchesPattern(operation, it->operation)) continue;
            if (!win::MatchesPattern(windowsPath, it->pattern)) continue;
            if (it->skip > 0) {
                --it->skip;
                break;
            }
            number = it->number;
            if (it->count > 0 && --it->count == 0) faults.erase(it);
            break;
        }
    }
    if (number != 0) RaiseJet(number, windowsPath);
}

}  // namespace dao
