#include <gtest/gtest.h>

#include "platform/ctl/resources.h"
#include "platform/ctl/services.h"
#include "platform/ctl/tests/support/app.h"

namespace ctl {
namespace {

TEST(Clipboard, TextCrossesInCp1252) {
    ScriptedClipboard board;
    ScopedClipboard use(&board);
    EXPECT_FALSE(ClipboardHasText());
    EXPECT_FALSE(GetClipboardText().has_value());

    ASSERT_TRUE(SetClipboardText("S\xe3o Jo\xe3o \x80"));   // "São João €"
    EXPECT_EQ(board.content->toStdString(), "São João €");

    struct Row { const char* unicode; std::string ansi; };
    const Row rows[] = {
        {"ação", "a\xe7\xe3o"},
        {"Łódź", "?\xf3" "d?"},     // characters without a byte become "?"
        {"", ""},
    };
    for (const Row& r : rows) {
        board.content = QString::fromUtf8(r.unicode);
        EXPECT_EQ(GetClipboardText(), r.ansi) << r.unicode;
    }
    board.content = QString::fromUtf8("ab") + QChar(u'\0') + QString::fromUtf8("cd");
    EXPECT_EQ(GetClipboardText(), "ab");   // the text ends at the first NUL
}

TEST(Clipboard, FailedWriteLeavesTheClipboardAlone) {
    ScriptedClipboard board;
    ScopedClipboard use(&board);
    board.content = QString("old");
    board.failWrites = true;
    EXPECT_FALSE(SetClipboardText("new"));
    EXPECT_EQ(board.content, QString("old"));
}

TEST(PopupMenu, ReturnsTheCommandOfAnEnabledItemOnly) {
    testing::App();
    ScriptedMenu menu;
    ScopedMenu use(&menu);
    const std::vector<MenuItem> items = {
        {"&Undo", 57643, true}, MenuItem::Separator(), {"Cu&t", 57635, false}, {"&Copy", 57634, true}};
    struct Row { int pick; int result; };
    const Row rows[] = {{57634, 57634}, {57635, 0}, {0, 0}, {12345, 0}};
    for (const Row& r : rows) {
        menu.pick = r.pick;
        EXPECT_EQ(TrackPopupMenu(nullptr, items, QPoint(5, 6)), r.result) << r.pick;
    }
    EXPECT_EQ(menu.tracks, 4);
    EXPECT_EQ(menu.shown.size(), 4u);
    EXPECT_EQ(menu.shownAt, QPoint(5, 6));
}

TEST(Resources, StringsComeOutInCp1252AndCutToTheBuffer) {
    ResourceTable table;
    table.AddStrings({{1, "Halvern Text Control"}, {2, "Ação"}});
    struct Row { int id; std::size_t buffer; std::string text; };
    const Row rows[] = {
        {1, 0, "Halvern Text Control"}, {1, 8, "Halvern"}, {1, 1, ""},
        {2, 0, "A\xe7\xe3o"},           {3, 0, ""},
    };
    for (const Row& r : rows) EXPECT_EQ(table.LoadString(r.id, r.buffer), r.text) << r.id;
    EXPECT_TRUE(table.HasString(2));
    EXPECT_FALSE(table.HasString(3));
}

TEST(Resources, MenusDialogsCursorsAndBitmapsByIdOrName) {
    testing::App();
    ResourceTable table;
    table.AddMenu(221, {{"&Undo", 57643, true}});
    table.AddDialog(112, {"About", 200, 100, {{1, DialogItemKind::Button, "OK", {10, 10, 60, 30}}}});
    table.AddCursor("IDC_NODROP", [] { return QCursor(Qt::ForbiddenCursor); });
    table.AddBitmap(7, QImage(8, 8, QImage::Format_Mono));
    ASSERT_NE(table.Menu(221), nullptr);
    EXPECT_EQ(table.Menu(221)->at(0).command, 57643);
    EXPECT_EQ(table.Menu(222), nullptr);
    ASSERT_NE(table.Dialog(112), nullptr);
    EXPECT_EQ(table.Dialog(112)->items.at(0).text, "OK");
    EXPECT_EQ(table.Cursor("IDC_NODROP")->shape(), Qt::ForbiddenCursor);
    EXPECT_FALSE(table.Cursor("IDC_OTHER").has_value());
    EXPECT_NE(table.Bitmap(7), nullptr);
    EXPECT_EQ(table.Bitmap(8), nullptr);
}

}  // namespace
}  // namespace ctl
