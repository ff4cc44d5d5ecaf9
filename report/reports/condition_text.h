// The texts of the query builder: one condition per field kind, the cutting of the composed
// conditions into items, and the rebuild of those items into the criterion text that a report run
// merges into its query (criterion_text.h), plus the check that refuses a criterion text that is
// more than one condition.
//
// The criterion text is "" or " Where " + condition. The rebuild puts the stretch before, between
// and after each "And" item into parentheses, writes "Or", "In" and "Like" items with one blank on
// each side and joins all other items without a blank. An item that begins with a quoted value
// runs on to the end of a quoted value (the "And" or "Or" inside that stretch opens no group),
// so a value is never cut at a blank and its quotes and blanks reach the query as written.
//
// What a user types never leaves its quotes: a text value's quotes are doubled, a date goes to
// CDate as the builder read it, a number is read as the program prints numbers (',' decimals,
// '.' grouping) and takes a decimal point. Pure functions; nothing here touches a
// database.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "report/core/jet_literals.h"

namespace report::reports {

// The field kinds whose conditions differ, from the engine's type codes (10 text, 12 memo, 8 date).
enum class FieldKind { Text, Date, Other };
FieldKind KindOfType(int daoType);

// The operators of the builder, in the order it lists them.
inline constexpr std::array<const char*, 7> kOperators = {"=", "<>", ">", ">=", "<", "<=", "Like"};

inline constexpr const char* kDataInvalida = "Data Inválida !";
inline constexpr const char* kConteudoInvalido = "Conteúdo inválido !";

// Why a value cannot make a condition, as the builder's message says it; nothing when it can.
// Both buttons refuse a value with a line break, a date field's value that is not a date, and for
// a field that is neither text nor date a value that is neither a number as the program prints
// it ("1.500", "-12,5") nor a [table].[field] reference (a blank value among them).
std::optional<std::string> ConditionRefusal(FieldKind kind, std::string_view value, bool andButton);

// One condition, F being the field ([table].[field]), O the operator and V the value:
//   text:  F O 'V'        Like: F Like '*V*'     (V upper-cased, its quotes doubled)
//   date:  F O CDate(Format("V","D/M/YYYY")), or F O CDate("V") when V has a time, V written
//          "d/m/yyyy" ("dd/mm/yyyy hh:nn:ss") whatever the separators typed
//   other: F O V          (a number loses its grouping and its decimal comma becomes a point;
//                          anything else stays as typed)
std::string ConditionText(FieldKind kind, std::string_view field, std::string_view op, std::string_view value);

// What joins a condition to those before it.
inline constexpr const char* kAndJoin = "\r\nAnd ";
inline constexpr const char* kOrJoin = "\r\n Or ";

// `text` as a Like pattern that matches exactly that text: each wildcard character (* ? # and
// the [ that opens a class) is put in a class of its own ("[*]"), where it stands for itself.
std::string LikeLiteral(std::string_view text);

// A number as the program prints it ("12,5", "-1.234,5", "1.500") as the query reads it ("12.5",
// "-1234.5", "1500"); any other text as it is.
std::string NumberLiteral(std::string_view value);

// Whether `text` has the form "[table].[field]".
bool IsFieldReference(std::string_view text);

// Cuts the next item off `texto` (left with its remainder, blanks before it removed) and returns
// it, trimmed. Separators inside a bracketed name with a blank, inside a quoted value and inside
// a double-quoted stretch stay in the item; see the .cpp for the rules.
std::string ProximoItem(std::string& texto, std::string_view separador);

// For "[table].[field]": with `campo` the field name without brackets, else "[table]".
std::string ParteCampo(std::string_view texto, bool campo);

// The criterion text of the composed conditions: "" for an empty text, else " Where " + rebuild.
std::string CriterionFromConditions(std::string_view conditions);

// The reason a criterion text may not run, as the criterion message names it; nothing when it
// is one condition: no ";" (a second statement), no comment ("--", "/*"), no IN target naming a
// file, no quote, bracket or #date that does not close.
std::optional<std::string> CriterionFault(std::string_view criterion);

// The saved criteria of one report, newest first, as the builder's grid lists them.
std::string SavedCriteriaSource(std::string_view codRelatorio);

}  // namespace report::reports
