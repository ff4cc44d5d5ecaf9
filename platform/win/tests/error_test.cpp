#include "platform/win/error.h"

#include <gtest/gtest.h>

namespace {

TEST(RuntimeErrorTest, RaiseCarriesTheRuntimeNumberTextAndSource) {
    const struct {
        long number;
        const char* text;
    } rows[] = {
        {5, "Invalid procedure call or argument"}, {9, "Subscript out of range"},
        {13, "Type mismatch"},                     {52, "Bad file name or number"},
        {53, "File not found"},                    {68, "Device unavailable"},
        {70, "Permission denied"},                 {75, "Path/File access error"},
        {76, "Path not found"},
        {31999, "Application-defined or object-defined error"},
    };
    for (const auto& row : rows) {
        try {
            win::Raise(row.number, "Dir");
            ADD_FAILURE() << "no throw for " << row.number;
        } catch (const win::RuntimeError& e) {
            EXPECT_EQ(e.Number(), row.number);
            EXPECT_EQ(e.Description(), row.text);
            EXPECT_STREQ(e.what(), row.text);
            EXPECT_EQ(e.Source(), "Dir");
        }
    }
}

}  // namespace
