// The database engine's error numbers, their English texts, and the fault-injection seam.
//
// Every failure of this layer reaches callers as win::RuntimeError carrying the engine's own number
// and its English description (some callers show the bare description). The numbers drive the
// callers' recoveries, so each is raised only in the situation it names and nowhere else.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace dao {

namespace jet {
inline constexpr long ReservedError = 3000;
inline constexpr long TooManyTransactions = 3003;
inline constexpr long TableExclusivelyLocked = 3008;
inline constexpr long TableExists = 3010;
inline constexpr long RelationExists = 3012;
inline constexpr long NoCurrentIndex = 3019;
inline constexpr long UpdateWithoutEdit = 3020;
inline constexpr long NoCurrentRecord = 3021;
inline constexpr long DuplicateKey = 3022;
inline constexpr long FileNotFound = 3024;
inline constexpr long ReadOnly = 3027;
inline constexpr long InvalidPassword = 3031;
inline constexpr long NoTransaction = 3034;
inline constexpr long ResourceExceeded = 3035;
inline constexpr long DiskError = 3043;
inline constexpr long InvalidPath = 3044;
inline constexpr long FileInUse = 3045;
inline constexpr long CantSave = 3046;
inline constexpr long NullInKey = 3058;
inline constexpr long InputTableNotFound = 3078;
inline constexpr long InvalidName = 3125;
inline constexpr long TextTooLong = 3163;
inline constexpr long RecordDeleted = 3167;
inline constexpr long NameExists = 3191;  // Fields.Append
inline constexpr long CouldNotRead = 3187;
inline constexpr long DatabaseExists = 3204;
inline constexpr long RelatedRecordsExist = 3200;
inline constexpr long NoRelatedRecord = 3201;
inline constexpr long InvalidOperation = 3219;
inline constexpr long NotSupported = 3251;
inline constexpr long InvalidFieldType = 3259;
inline constexpr long UpdateLocked = 3260;
inline constexpr long TableLocked = 3262;
inline constexpr long NoFieldDefined = 3264;
inline constexpr long ItemNotFound = 3265;
inline constexpr long PropertyNotFound = 3270;
inline constexpr long FieldInIndex = 3280;
inline constexpr long PrimaryKeyExists = 3283;
inline constexpr long IndexExists = 3284;
inline constexpr long NumericOverflow = 3349;
inline constexpr long DatabaseNotRecognised = 3343;
inline constexpr long ObjectExists = 3367;
inline constexpr long ObjectClosed = 3420;
inline constexpr long ConversionError = 3421;
// Statements (the SQL translation).
inline constexpr long DiskFull = 3026;
inline constexpr long TooFewParameters = 3061;
inline constexpr long CannotExecuteSelect = 3065;
inline constexpr long ExpressionSyntax = 3075;
inline constexpr long UndefinedFunction = 3085;
inline constexpr long InsertUnknownField = 3127;
inline constexpr long InvalidStatement = 3129;
inline constexpr long FromSyntax = 3131;
inline constexpr long InsertSyntax = 3134;
inline constexpr long UpdateSyntax = 3144;
inline constexpr long OutputTableNotFound = 3192;
inline constexpr long TableInUse = 3211;
inline constexpr long DropSyntax = 3295;
inline constexpr long ValueCountMismatch = 3346;
inline constexpr long TableNotFound = 3376;
inline constexpr long ObjectAlreadyExists = 3012;  // the number RelationExists carries
inline constexpr long RefreshNeeded = 3298;
inline constexpr long CriteriaTypeMismatch = 3464;
// Lock conflicts with another user or session, beside UpdateLocked, TableInUse, CouldNotRead
// and CantSave.
inline constexpr long RecordSaveLocked = 3158;
inline constexpr long SaveLockedByUser = 3186;
inline constexpr long UpdateLockedBySession = 3188;
inline constexpr long TableLockedByUser = 3189;
inline constexpr long StoppedByOtherUser = 3197;
inline constexpr long SaveLocked = 3202;
inline constexpr long TableInUseByUser = 3212;
inline constexpr long UpdateLockedNoUser = 3218;
}  // namespace jet

// The engine's English description of `number`, with "|" replaced by `subject` where the text
// names an object ("Could not find file 'C:\X.MDB'."). A number this layer does not know reads
// as Jet's reserved-error text.
std::string JetErrorText(long number, std::string_view subject = {});

// Raises `number`: a number of the engine (3000 and up) with its text, any other with the
// runtime's own text (win::Raise). Source is "DAO.Database" style text naming the object.
[[noreturn]] void RaiseJet(long number, std::string_view subject = {});

// What an SQLite failure was doing when it happened; a busy file maps to a different lock number
// for each.
enum class Operation { Read, Write, Commit, Structure };

// Maps an SQLite result code (extended codes welcome) and message to the engine's number:
// BUSY -> 3187 on read, 3260 on write or commit, 3262 on a structure change; LOCKED -> 3211;
// unique/primary key constraint -> 3022; NOT NULL -> 3058; NOTADB/CORRUPT -> 3343; READONLY ->
// 3027, but a file moved away since its open (its folder renamed or gone) -> 3044; FULL -> 3035 ... A trigger's RAISE(ABORT, 'jet:NNNN') carries its own number.
long JetNumberForSqlite(int code, std::string_view message, Operation op);

// Raises the engine error for the last failure on `db` (its extended code and message).
[[noreturn]] void RaiseSqlite(sqlite3* db, Operation op, std::string_view subject = {});

// --- Fault injection ----------------------------------------------------------------------------
// Tests make any operation fail with any number: InjectFault(3343, "OpenDatabase", "*\\BACKUP.MDB")
// makes the next open of a file matching the pattern raise 3343. Operations are the engine's
// method names ("OpenDatabase", "Execute", "OpenRecordset", "Update", "CommitTrans", "Append",
// "RepairDatabase", "CompactDatabase") or "*". The pattern is matched case-insensitively against
// the Windows path of the database with * and ?. `count` is how many calls fail (then the fault is
// spent); a negative count never runs out. The first `skip` matching calls pass before it fails.
void InjectFault(long number, std::string operation, std::string pathPattern, int count = 1, int skip = 0);
void ClearFaults();
// Called by the engine at each operation: raises when an armed fault matches.
void CheckFault(std::string_view operation, std::string_view windowsPath);

}  // namespace dao
