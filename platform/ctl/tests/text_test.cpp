#include <gtest/gtest.h>

#include <QImage>
#include <QKeyEvent>
#include <QPainter>

#include "platform/ctl/control_window.h"
#include "platform/ctl/draw.h"
#include "platform/ctl/font_picture.h"
#include "platform/ctl/keys.h"
#include "platform/ctl/text_metrics.h"
#include "platform/ctl/tests/support/app.h"

namespace ctl {
namespace {

TEST(TextMetrics, FixedMetricsForEngineTests) {
    const FixedTextMetrics m(7, 13, 3, 10);
    struct Row { const char* text; int extent; };
    const Row rows[] = {{"", 0}, {"a", 7}, {"S\xe3o", 21}, {"12345678", 56}};
    for (const Row& r : rows) EXPECT_EQ(m.Extent(r.text), r.extent) << r.text;
    EXPECT_EQ(m.LineHeight(), 16);
    EXPECT_EQ(m.Ascent(), 10);
}

TEST(TextMetrics, QtMetricsMeasureWhatTextOutDraws) {
    testing::App();
    const QFont font = ToQFont(DefaultFontDesc());
    const QtTextMetrics m(font);
    QImage image(200, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    for (const char* text : {"W", "Olá ação", "iiii"}) {
        EXPECT_EQ(TextOut(p, 0, 0, text, {}), m.Extent(text)) << text;
        EXPECT_GT(m.Extent(text), 0);
    }
    EXPECT_GE(m.LineHeight(), m.Height());
    EXPECT_EQ(m.Height(), QFontMetrics(font).height());
}

TEST(TextMetrics, AnsiConversionAtTheBoundary) {
    struct Row { std::string ansi; const char* utf8; };
    const Row rows[] = {{"a\xe7\xe3o", "ação"}, {"\x80 5", "€ 5"}, {"\x9f", "Ÿ"}, {"", ""}};
    for (const Row& r : rows) {
        EXPECT_EQ(FromAnsi(r.ansi).toStdString(), r.utf8);
        EXPECT_EQ(ToAnsi(QString::fromUtf8(r.utf8)), r.ansi);
    }
    EXPECT_EQ(ToAnsi(QString::fromUtf8("ŁZ")), "?Z");
}

TEST(DrawText, WordBreakUsesLinesSingleLineStaysOnOne) {
    testing::App();
    QImage image(60, 200, QImage::Format_RGB32);
    QPainter p(&image);
    p.setFont(ToQFont(DefaultFontDesc()));
    const int line = QFontMetrics(p.font()).height();
    const Rect r{0, 0, 60, 200};
    const char* text = "several words that cannot fit on one line";
    const int single = DrawTextIn(p, text, r, DT_SINGLELINE | DT_VCENTER, 0);
    EXPECT_GE(single, line);
    EXPECT_LT(single, 2 * line);
    EXPECT_GE(DrawTextIn(p, text, r, DT_WORDBREAK | DT_EXPANDTABS | DT_EXTERNALLEADING, 0), 3 * line);
}

TEST(DrawText, AmpersandsMarkMnemonicsUnlessAskedNot) {
    testing::App();
    const QFont font = ToQFont(DefaultFontDesc());
    auto width = [&](const char* text, unsigned flags) {
        QImage image(200, 30, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setFont(font);
        DrawTextIn(p, text, {0, 0, 200, 30}, flags | DT_SINGLELINE, 0);
        p.end();
        int right = -1;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 200; ++x)
                if (image.pixelColor(x, y) != Qt::white) right = std::max(right, x);
        return right;
    };
    // "&&" draws one ampersand, so "A&&B" is as wide as "A&B" drawn without prefixes.
    EXPECT_EQ(width("A&&B", 0), width("A&B", DT_NOPREFIX));
    EXPECT_LT(width("&AB", 0), width("&AB", DT_NOPREFIX));
}

// A control that keeps the navigation keys from the container's shortcuts.
struct NavigationKeys : MessageHandler {
    bool WantsKey(int key, int) override { return (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE; }
};

TEST(ControlWindowKeys, NavigationKeysAreKeptFromTheContainer) {
    testing::App();
    NavigationKeys handler;
    ControlWindow window(&handler, nullptr);
    struct Row { int qtKey; bool kept; };
    const Row rows[] = {{Qt::Key_Left, true}, {Qt::Key_PageDown, true}, {Qt::Key_Delete, true},
                        {Qt::Key_Insert, true}, {Qt::Key_Tab, false}, {Qt::Key_F4, false}};
    for (const Row& r : rows) {
        QKeyEvent ev(QEvent::ShortcutOverride, r.qtKey, Qt::NoModifier);
        ev.ignore();
        QApplication::sendEvent(&window, &ev);
        EXPECT_EQ(ev.isAccepted(), r.kept) << r.qtKey;
    }
    window.Detach();
}

}  // namespace
}  // namespace ctl
