// The message boxes on the screen: their line breaks and their font, read from the box while it
// waits for its answer, then answered with a real key.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "platform/ctl/font_picture.h"
#include "platform/forms/services.h"
#include "platform/forms/tests/support/qt_app.h"

namespace {

using forms::testing::QtApp;

struct SeenBox {
    QString text;
    QFont font;
    Qt::TextFormat format = Qt::AutoText;
    int labelHeight = 0;
    int lineSpacing = 0;
};

// Shows `text` in a real box and reads it before Enter answers it.
SeenBox ShowAndRead(const std::string& text) {
    SeenBox seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        const auto* label = box->findChild<QLabel*>("qt_msgbox_label");
        seen.text = label ? label->text() : QString();
        seen.font = label ? label->font() : QFont();
        seen.format = label ? label->textFormat() : Qt::AutoText;
        seen.labelHeight = label ? label->sizeHint().height() : 0;
        seen.lineSpacing = label ? label->fontMetrics().lineSpacing() : 0;
        // The box's default button takes Enter, whichever of its widgets has the focus.
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : box, Qt::Key_Return);
    });
    forms::QtMessageBoxes boxes;
    EXPECT_EQ(boxes.Show(text, forms::mb::Question + forms::mb::YesNo, "Mensagem"), forms::mb::Yes);
    return seen;
}

TEST(MessageBoxTest, CrLfAndCrLfEachBreakTheLineAndCrCrLeavesABlankOne) {
    QtApp();
    struct Row {
        const char* text;
        const char* shown;
        int lines;
    };
    const Row rows[] = {
        {"Ultima Consolidação 01/12/2026\r\rDeseja Executar Nova Consolidação?",
         "Ultima Consolidação 01/12/2026\n\nDeseja Executar Nova Consolidação?", 3},
        {"Banco de Dados Danificado !\r\nPressione Enter Para Corrigir !",
         "Banco de Dados Danificado !\nPressione Enter Para Corrigir !", 2},
        {"um\ndois", "um\ndois", 2},
        {"um\rdois\r\n\r\ntrês", "um\ndois\n\ntrês", 4},
        {"<b>não é marcação</b>", "<b>não é marcação</b>", 1},
    };
    for (const Row& row : rows) {
        const SeenBox seen = ShowAndRead(row.text);
        EXPECT_EQ(seen.text.toStdString(), row.shown) << row.text;
        // The box is as tall as its lines: each break is drawn.
        EXPECT_GE(seen.labelHeight, row.lines * seen.lineSpacing - 2) << row.text;
        EXPECT_LT(seen.labelHeight, (row.lines + 1) * seen.lineSpacing) << row.text;
        EXPECT_EQ(seen.font, ctl::DefaultQFont()) << row.text;
        EXPECT_EQ(seen.format, Qt::PlainText) << row.text;
    }
}

}  // namespace
