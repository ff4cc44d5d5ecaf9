// What the user sees of a window laid out in twips: the font, captions that fit, labels with
// access keys and wrapping, frames with their caption on the border.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QTest>

#include "platform/forms/services.h"
#include "platform/forms/tests/support/layout_window.h"
#include "platform/forms/tests/support/qt_app.h"
#include "platform/forms/tests/support/screenshot.h"
#include "platform/forms/tests/support/text_fit.h"

namespace {

using forms::testing::LayoutWindow;

class AppearanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        forms::testing::QtApp();
        window.Show();
        forms::DoEvents();
    }
    void TearDown() override {
        window.Unload();
        forms::DoEvents();
    }
    LayoutWindow window;
};

TEST_F(AppearanceTest, WindowsUseTheLayoutsEightPointSansSerifInAFontOfItsMetrics) {
    const QFontInfo shown(window.codeLabel->Widget()->font());
    EXPECT_EQ(shown.family().toStdString(), "Liberation Sans");
    EXPECT_EQ(shown.pixelSize(), 11) << "8 points at 96 dots per inch";
}

// Every caption fits its control in the runtime's font; the check itself notices a caption that
// does not.
TEST_F(AppearanceTest, EveryCaptionOfTheWindowFitsItsControl) {
    EXPECT_EQ(forms::testing::CaptionsThatDoNotFit(window), std::vector<std::string>{});
    window.codeLabel->SetCaption("Código do produto principal:");
    window.run->SetCaption("&Executar agora");
    EXPECT_EQ(forms::testing::CaptionsThatDoNotFit(window),
              (std::vector<std::string>{"LblCodigo \"Código do produto principal:\"", "BtnExecutar \"&Executar agora\""}));
}

TEST_F(AppearanceTest, ChildrenOfAFrameSitBelowTheCaptionOnItsTopBorder) {
    const QWidget& label = *window.fromLabel->Widget();
    EXPECT_EQ(label.parentWidget(), window.frame->Widget());
    EXPECT_EQ(label.pos(), QPoint(16, 24)) << "twips from the frame's outer top-left corner";
    EXPECT_EQ(window.fromLabel->Left(), 240);
    EXPECT_GE(label.y(), window.frame->Widget()->fontMetrics().height())
        << "a child at 240 twips is below the caption line, inside the border";
}

TEST_F(AppearanceTest, AccessKeyOfALabelFocusesTheNextControlInTabOrder) {
    window.code->SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
    forms::DoEvents();
    EXPECT_TRUE(window.from->HasFocus()) << "Alt+D of \"&Data inicial:\"";
    // "&&" is no access key: the note has none.
    window.code->SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::AltModifier);
    forms::DoEvents();
    EXPECT_TRUE(window.code->HasFocus());
    // A hidden or disabled control is passed over.
    window.from->SetEnabled(false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
    forms::DoEvents();
    EXPECT_TRUE(window.to->HasFocus()) << "the next control that can take the focus";
    EXPECT_EQ(window.note->Caption(), "Somente as lojas em rede && marcadas para consolidar têm as vendas do "
                                      "período copiadas para o banco consolidado.")
        << "the caption keeps its marks";
}

TEST_F(AppearanceTest, WindowWithAFrameAndLabelsLooksAsLaidOut) {
    const QImage picture = window.Widget()->grab().toImage();
    EXPECT_TRUE(forms::testing::MatchesReference(picture, FORMS_TESTS_DIR "/screens/frame_labels.png"));
}

}  // namespace
