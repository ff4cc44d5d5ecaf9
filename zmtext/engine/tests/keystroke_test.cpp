// Keystroke scripts on a focused field: raw data, display text, caret, selection and the events
// fired, as tables of rows; plus typing into masks checked against a small independent model.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "zmtext/engine/tests/keystroke_script.h"

namespace zmtext::testing {
namespace {

constexpr const char* kPhone = "(###) %%%-%%%%";

struct Row {
    const char* name;
    const char* mask;
    const char* initial;
    bool readOnly;
    const char* script;
    const char* raw;
    const char* display;
    int caret;
    int anchor;
    int hiNew;
    std::string events;
};

const std::string C1 = "Change;";
std::string Cn(int n) { return Repeat(C1, n); }

const Row kRows[] = {
    // Typing into a mask.
    {"first digit", kPhone, "", false, "5", "5", "(5__) ___-____", 2, 0, 0, Cn(1)},
    {"skips literals", kPhone, "", false, "123", "123", "(123) ___-____", 6, 0, 0, Cn(3)},
    {"whole field fires EndOfLine once", kPhone, "", false, "1234567890", "1234567890", "(123) 456-7890",
     14, 0, 0, Cn(9) + "EndOfLine;" + C1},
    {"refused key", kPhone, "", false, "a", "", "(___) ___-____", 1, 0, 0, "InvalidKey 97;"},
    {"refused then accepted", kPhone, "", false, "x7", "7", "(7__) ___-____", 2, 0, 0, "InvalidKey 120;" + C1},
    {"typing past the end is refused", kPhone, "", false, "12345678901", "1234567890", "(123) 456-7890", 14, 0,
     0, Cn(9) + "EndOfLine;" + C1 + "InvalidKey 49;"},
    {"typing on a literal goes to the next placeholder", kPhone, "", false, "{^Home}7", "7", "(7__) ___-____",
     2, 0, 0, Cn(1)},
    {"letters upper-cased by U", "UUU-LLL", "", false, "abcDEF", "ABCdef", "ABC-def", 7, 0, 0,
     Cn(5) + "EndOfLine;" + C1},
    {"U refuses digits", "UUU", "", false, "a1b", "AB", "AB_", 2, 0, 0, C1 + "InvalidKey 49;" + C1},
    {"escaped literal", "\\##", "", false, "5", "5", "#5", 2, 0, 0, "EndOfLine;" + C1},
    {"hash takes blank minus dot", "####", "", false, " -.5", " -.5", " -.5", 4, 0, 0, Cn(3) + "EndOfLine;" + C1},
    // Insert and overwrite.
    {"insert drops the group's last character", kPhone, "123", false, "{Home}9", "912", "(912) ___-____", 2,
     0, 0, Cn(1)},
    {"insert keeps the next group", kPhone, "123456", false, "{Home}9", "912456", "(912) 456-____", 2, 0, 0,
     Cn(1)},
    {"insert in a group not full", kPhone, "12", false, "{Home}9", "912", "(912) ___-____", 2, 0, 0, Cn(1)},
    {"overwrite replaces", kPhone, "123", false, "{Home}{Ins}9", "923", "(923) ___-____", 2, 0, 0, Cn(1)},
    {"overwrite then insert again", kPhone, "123", false, "{Home}{Ins}9{Ins}8", "982", "(982) ___-____", 3, 0,
     0, Cn(2)},
    // Deleting.
    {"backspace", kPhone, "", false, "12{Bksp}", "1", "(1__) ___-____", 2, 0, 0, Cn(3)},
    {"backspace over a literal", kPhone, "", false, "1234{Bksp}{Bksp}", "12", "(12_) ___-____", 3, 0, 0, Cn(6)},
    {"backspace at the first position does nothing", kPhone, "12", false, "{Home}{Bksp}", "12",
     "(12_) ___-____", 1, 0, 0, ""},
    {"delete keeps later groups in place", kPhone, "123456", false, "{Home}{Del}", "23_456",
     "(23_) 456-____", 1, 0, 0, Cn(1)},
    {"delete in the last group", kPhone, "123456", false, "{End}{Left}{Del}", "12345", "(123) 45_-____", 8,
     0, 0, Cn(1)},
    {"delete at the end of data changes nothing", kPhone, "12", false, "{End}{Del}", "12", "(12_) ___-____",
     3, 0, 0, ""},
    {"shift delete is backspace", kPhone, "", false, "123{+Del}", "12", "(12_) ___-____", 3, 0, 0, Cn(4)},
    {"ctrl delete to the end of data", kPhone, "123456", false, "{Home}{Right}{^Del}", "1", "(1__) ___-____",
     2, 0, 0, Cn(1)},
    {"ctrl delete at the end does nothing", kPhone, "12", false, "{End}{^Del}", "12", "(12_) ___-____", 3, 3,
     3, ""},
    // Moving.
    {"home to the first data position", kPhone, "123", false, "{Home}", "123", "(123) ___-____", 1, 0, 0, ""},
    {"ctrl home to position 0", kPhone, "123", false, "{^Home}", "123", "(123) ___-____", 0, 0, 0, ""},
    {"end of data", kPhone, "1234", false, "{Home}{End}", "1234", "(123) 4__-____", 7, 0, 0, ""},
    {"left to the previous placeholder", kPhone, "123", false, "{End}{Left}", "123", "(123) ___-____", 3, 0,
     0, ""},
    {"left over literals", kPhone, "1234", false, "{End}{Left}{Left}", "1234", "(123) 4__-____", 3, 0, 0, ""},
    {"left at the first placeholder stays", kPhone, "1", false, "{Home}{Left}", "1", "(1__) ___-____", 1, 0,
     0, ""},
    {"right to the next placeholder", kPhone, "12", false, "{Home}{Right}", "12", "(12_) ___-____", 2, 0, 0,
     ""},
    {"right stops at the end of data", kPhone, "12", false, "{Home}{Right}{Right}{Right}", "12",
     "(12_) ___-____", 3, 0, 0, ""},
    {"right over a literal", kPhone, "1234", false, "{Home}{Right}{Right}{Right}", "1234", "(123) 4__-____",
     6, 0, 0, ""},
    {"right at the last position fires EndOfLine", "##", "12", false, "{Home}{Right}{Right}", "12", "12", 2, 0,
     0, "EndOfLine;"},
    // Selecting.
    {"shift left selects one position", kPhone, "123", false, "{End}{+Left}", "123", "(123) ___-____", 3, 4,
     3, ""},
    {"shift home selects to position 0", kPhone, "123", false, "{End}{+Home}", "123", "(123) ___-____", 0, 4,
     0, ""},
    {"shift end selects to the end of data", kPhone, "123", false, "{Home}{+End}", "123", "(123) ___-____",
     4, 1, 4, ""},
    {"a move without shift clears the selection", kPhone, "123", false, "{Home}{+End}{Left}", "123",
     "(123) ___-____", 3, 0, 0, ""},
    {"delete the selection", kPhone, "123", false, "{End}{+Home}{Del}", "", "(___) ___-____", 1, 0, 0,
     Cn(1)},
    {"ctrl delete the selection", kPhone, "123456", false, "{End}{+Left}{+Left}{^Del}", "1234",
     "(123) 4__-____", 7, 0, 0, Cn(1)},
    {"typing replaces the selection", kPhone, "123", false, "{End}{+Home}4", "4", "(4__) ___-____", 2, 0, 0,
     Cn(1)},
    {"backspace removes the selection", kPhone, "123", false, "{End}{+Left}{+Left}{Bksp}", "1",
     "(1__) ___-____", 2, 0, 0, Cn(1)},
    {"selection across groups", kPhone, "123456", false, "{Home}{Right}{+Right}{+Right}{+Right}{+Right}{Del}",
     "1__456", "(1__) 456-____", 2, 0, 0, Cn(1)},
    // Undo.
    {"ctrl z undoes to the value on entry", kPhone, "99", false, "123{^Z}", "99", "(99_) ___-____", 2, 0, 0,
     Cn(3)},
    {"alt backspace undoes", kPhone, "", false, "12{%Bksp}", "", "(___) ___-____", 0, 0, 0, Cn(2)},
    {"ctrl z without a change does nothing", kPhone, "12", false, "{^Z}", "12", "(12_) ___-____", 1, 0, 0, ""},
    {"shift alt backspace is no undo", kPhone, "", false, "12{+%Bksp}", "12", "(12_) ___-____", 3, 0, 0,
     Cn(2)},
    // Read-only fields ignore typing, deleting and cutting.
    {"read-only typing", kPhone, "12", true, "5", "12", "(12_) ___-____", 1, 0, 0, ""},
    {"read-only delete of a selection", kPhone, "123", true, "{Home}{+End}{Del}", "123", "(123) ___-____", 4,
     1, 4, ""},
    {"read-only shift delete (cut) of a selection", kPhone, "123", true, "{Home}{+End}{+Del}", "123",
     "(123) ___-____", 4, 1, 4, ""},
    {"read-only ctrl x", kPhone, "123", true, "{Home}{+End}{^X}", "123", "(123) ___-____", 4, 1, 4, ""},
    {"read-only ctrl delete", kPhone, "123", true, "{Home}{^Del}", "123", "(123) ___-____", 1, 0, 0, ""},
    {"read-only backspace", kPhone, "123", true, "{End}{Bksp}", "123", "(123) ___-____", 4, 0, 0, ""},
    // Without a mask.
    {"free text", "", "", false, "hello big world", "hello big world", "hello big world", 15, 0, 0, Cn(15)},
    {"word left", "", "hello big world", false, "{End}{^Left}", "hello big world", "hello big world", 10, 0, 0, ""},
    {"word left twice", "", "hello big world", false, "{End}{^Left}{^Left}", "hello big world", "hello big world",
     6, 0, 0, ""},
    {"word left to the start", "", "hello big world", false, "{End}{^Left}{^Left}{^Left}", "hello big world",
     "hello big world", 0, 0, 0, ""},
    {"word right", "", "hello big world", false, "{Home}{^Right}", "hello big world", "hello big world", 6, 0,
     0, ""},
    {"word right to the end", "", "hello big world", false, "{Home}{^Right}{^Right}{^Right}",
     "hello big world", "hello big world", 15, 0, 0, ""},
    {"shift ctrl left selects a word", "", "hello big", false, "{End}{+^Left}", "hello big", "hello big", 6, 9, 6,
     ""},
    {"shift ctrl right selects a word", "", "hello big", false, "{Home}{+^Right}", "hello big", "hello big", 6,
     0, 6, ""},
    {"delete in free text", "", "abc", false, "{Home}{Del}", "bc", "bc", 0, 0, 0, Cn(1)},
    {"insert in free text", "", "abc", false, "{Home}{Right}x", "axbc", "axbc", 2, 0, 0, Cn(1)},
    {"backspace in free text", "", "abc", false, "{End}{Bksp}{Bksp}", "a", "a", 1, 0, 0, Cn(2)},
    {"ctrl delete in free text", "", "abc def", false, "{Home}{^Right}{^Del}", "abc ", "abc ", 4, 0, 0,
     Cn(1)},
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name << ": " << row.script; }

class KeystrokeTable : public ::testing::TestWithParam<Row> {};

void RunRow(const Row& row) {
    ctl::ScriptedClipboard clipboard;
    ctl::ScopedClipboard useClipboard(&clipboard);
    EditTestField f;
    f.SetMask(row.mask);
    f.SetData(row.initial);
    f.SetFlags(row.readOnly);
    f.Focus();
    f.events.clear();
    RunScript(f, row.script);
    EXPECT_EQ(f.GetRawData(), row.raw) << row.name;
    EXPECT_EQ(f.GetDisplay(), row.display) << row.name;
    EXPECT_EQ(f.GetCurPos(), row.caret) << row.name;
    EXPECT_EQ(f.GetHiAnchor(), row.anchor) << row.name;
    EXPECT_EQ(f.GetHiNew(), row.hiNew) << row.name;
    EXPECT_EQ(EditEvents(f), row.events) << row.name;
}

TEST_P(KeystrokeTable, ScriptGivesStateAndEvents) {
    RunRow(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Engine, KeystrokeTable, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name + "_" + std::to_string(info.index);
                         });

// --- Typing into masks against a model ------------------------------------------------------

// What a mask position accepts and stores, written apart from the field's code.
std::optional<char> ModelAccept(char mask, char typed) {
    const bool digit = typed >= '0' && typed <= '9';
    const bool letter = (typed >= 'a' && typed <= 'z') || (typed >= 'A' && typed <= 'Z');
    if (typed == ' ') return typed;
    switch (mask) {
    case '#': return digit || typed == '-' || typed == '.' ? std::optional(typed) : std::nullopt;
    case '%': return digit ? std::optional(typed) : std::nullopt;
    case 'U': return letter ? std::optional(static_cast<char>(std::toupper(typed))) : std::nullopt;
    case 'L': return letter ? std::optional(static_cast<char>(std::tolower(typed))) : std::nullopt;
    default: return typed;
    }
}

struct ModelResult {
    std::string raw;
    std::string events;
};

ModelResult TypeIntoModel(std::string_view mask, std::string_view typed) {
    std::string placeholders;
    for (char c : mask)
        if (ZMFindChar("*%#UL", c) != 0) placeholders += c;
    ModelResult r;
    for (char t : typed) {
        if (r.raw.size() >= placeholders.size()) {
            r.events += "InvalidKey " + std::to_string(static_cast<unsigned char>(t)) + ";";
            continue;
        }
        const auto stored = ModelAccept(placeholders[r.raw.size()], t);
        if (!stored) {
            r.events += "InvalidKey " + std::to_string(static_cast<unsigned char>(t)) + ";";
            continue;
        }
        r.raw += *stored;
        if (r.raw.size() == placeholders.size()) r.events += "EndOfLine;";
        r.events += "Change;";
    }
    return r;
}

struct GeneratedCase {
    std::string mask;
    std::string typed;
};

std::vector<GeneratedCase> GeneratedCases() {
    static const char* kMasks[] = {"###", "%%/%%/%%%%", "UU-%%%", "(###) %%%-%%%%", "LLLL", "*-*-*", "U%U%U%",
                                   "##.##", "[%%%]", "%%:%%"};
    static constexpr std::string_view kAlphabet = "0123456789abcXYZ -./";
    std::mt19937 random(20240611);
    std::vector<GeneratedCase> out;
    for (const char* mask : kMasks)
        for (int n = 0; n < 16; ++n) {
            std::string typed;
            const int length = 1 + static_cast<int>(random() % 14);
            for (int i = 0; i < length; ++i) typed += kAlphabet[random() % kAlphabet.size()];
            out.push_back({mask, typed});
        }
    return out;
}

TEST(EngineKeystrokes, TypingMatchesTheMaskModel) {
    const auto cases = GeneratedCases();
    ASSERT_GE(cases.size(), 150u);
    for (const auto& c : cases) {
        EditTestField f;
        f.SetMask(c.mask);
        f.Focus();
        f.events.clear();
        RunScript(f, c.typed);
        const auto model = TypeIntoModel(c.mask, c.typed);
        EXPECT_EQ(f.GetRawData(), model.raw) << c.mask << " <- \"" << c.typed << "\"";
        EXPECT_EQ(EditEvents(f), model.events) << c.mask << " <- \"" << c.typed << "\"";
    }
}

TEST(EngineKeystrokes, TwoHundredCasesRunInUnderOneSecond) {
    const auto cases = GeneratedCases();
    ctl::ScriptedClipboard clipboard;
    ctl::ScopedClipboard useClipboard(&clipboard);
    const auto start = std::chrono::steady_clock::now();
    int runs = 0;
    for (const Row& row : kRows) {
        EditTestField f;
        f.SetMask(row.mask);
        f.SetData(row.initial);
        f.Focus();
        RunScript(f, row.script);
        ++runs;
    }
    for (const auto& c : cases) {
        EditTestField f;
        f.SetMask(c.mask);
        f.Focus();
        RunScript(f, c.typed);
        ++runs;
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(runs, 200);
    EXPECT_LT(elapsed, std::chrono::seconds(1));
    RecordProperty("cases", runs);
    RecordProperty("microseconds",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()));
}

}  // namespace
}  // namespace zmtext::testing
