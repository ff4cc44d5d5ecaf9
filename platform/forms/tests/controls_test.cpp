#include "platform/forms/controls.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QFontMetrics>
#include <QListView>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <functional>
#include <string>

#include "platform/forms/app.h"
#include "platform/forms/colors.h"
#include "platform/forms/services.h"
#include "platform/forms/tests/support/qt_app.h"
#include "platform/forms/tests/support/raises.h"
#include "platform/forms/window.h"

namespace {

using forms::testing::ErrorNumberOf;

class PanelWindow : public forms::Window {
public:
    PanelWindow() : Window("Consolida") {}
    forms::Panel* panel = nullptr;
    forms::ListBox* list = nullptr;
    forms::ComboBox* combo = nullptr;
    forms::TextBox* first = nullptr;
    forms::TextBox* second = nullptr;
    forms::CheckBox* check = nullptr;
    forms::OptionButton* option = nullptr;
    forms::Timer* timer = nullptr;
    int activations = 0;

protected:
    void CreateControls() override {
        panel = &Add<forms::Panel>("PainelAtualiza");
        list = &Add<forms::ListBox>("ListTabela", panel);
        combo = &Add<forms::ComboBox>("CboLoja");
        first = &Add<forms::TextBox>("ZmData1");
        second = &Add<forms::TextBox>("ZmData2");
        check = &Add<forms::CheckBox>("ChkTodas");
        option = &Add<forms::OptionButton>("OptLoja");
        timer = &Add<forms::Timer>("Timer1");
    }
    void Form_Activate() override { ++activations; }
    void Form_Resize() override { ++resizes; }

public:
    int resizes = 0;
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        forms::testing::QtApp();
        window.Show();
    }
    void TearDown() override {
        window.Unload();
        forms::DoEvents();
    }
    PanelWindow window;
};

TEST_F(ControlsTest, ListMembersAsTheProgressListUsesThem) {
    forms::ListControl* lists[] = {window.list, window.combo};
    for (forms::ListControl* list : lists) {
        int clicks = 0;
        list->Click = [&] { ++clicks; };
        list->AddItem("Produto");
        list->AddItem("Venda");
        list->AddItem("Cliente", 1);
        EXPECT_EQ(list->ListCount(), 3);
        EXPECT_EQ(list->List(1), "Cliente");
        EXPECT_EQ(list->List(3), "") << "past the end reads empty";
        EXPECT_EQ(list->ListIndex(), -1);
        list->SetListIndex(2);
        EXPECT_EQ(list->ListIndex(), 2);
        EXPECT_EQ(clicks, 1) << "choosing an item clicks";
        list->SetList(2, "Venda ... OK");
        EXPECT_EQ(list->List(2), "Venda ... OK");
        EXPECT_EQ(ErrorNumberOf([&] { list->SetListIndex(3); }), 380);
        EXPECT_EQ(ErrorNumberOf([&] { list->SetList(5, "x"); }), 381);
        EXPECT_EQ(ErrorNumberOf([&] { list->AddItem("x", 9); }), 5);
        list->RemoveItem(0);
        EXPECT_EQ(list->List(0), "Cliente");
        list->Clear();
        EXPECT_EQ(list->ListCount(), 0);
        EXPECT_EQ(list->ListIndex(), -1);
    }
}

// Counts the measurements of a view's lines (the style's size of an item).
class MeasureCountingStyle : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_ItemViewItem) ++measured;
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }
    mutable int measured = 0;
};

// A progress list: each line added, made current, written over once, with a yield after each
// step. The list is measured once per text, not once per line at each yield; the sizes it lays
// out still follow the text and the font.
TEST_F(ControlsTest, AListBoxMeasuresEachLineOnce) {
    auto* view = static_cast<QListView*>(window.list->Widget());
    window.panel->Move(0, 0, 4500, 3000);
    window.list->Move(0, 0, 4500, 3000);
    MeasureCountingStyle style;
    view->setStyle(&style);
    constexpr int kLines = 60;
    for (int line = 0; line < kLines; ++line) {
        const std::string text = "Atualizando Tabela " + std::to_string(line) + " ...";
        window.list->AddItem(text);
        window.list->SetListIndex(window.list->ListCount() - 1);
        forms::DoEvents();
        window.list->SetList(line, text + " OK");
        forms::DoEvents();
    }
    EXPECT_LE(style.measured, 2 * kLines + 4) << "two texts a line";

    struct Case {
        const char* what;
        std::function<void()> change;
        std::function<bool()> holds;
    };
    const int rowHeight = view->visualRect(view->model()->index(0, 0)).height();
    const Case cases[] = {
        {"a line wider than the view widens what the view scrolls over",
         [&] { window.list->AddItem(std::string(400, 'W')); },
         [&] { return view->horizontalScrollBar()->maximum() > 0; }},
        {"a larger font makes every line taller",
         [&] {
             QFont font = view->font();
             font.setPixelSize(3 * QFontMetrics(font).height());
             view->setFont(font);
         },
         [&] { return view->visualRect(view->model()->index(0, 0)).height() > rowHeight; }},
    };
    for (const Case& c : cases) {
        c.change();
        forms::DoEvents();
        view->doItemsLayout();
        EXPECT_TRUE(c.holds()) << c.what;
    }
    view->setStyle(nullptr);
}

TEST_F(ControlsTest, PositionsInTwipsVisibilityAndContainers) {
    window.panel->Move(150, 300, 1500, 750);
    EXPECT_EQ(window.panel->Left(), 150);
    EXPECT_EQ(window.panel->Top(), 300);
    EXPECT_EQ(window.panel->Width(), 1500);
    EXPECT_EQ(window.panel->Widget()->width(), 100) << "15 twips to a pixel";
    EXPECT_EQ(window.list->Widget()->parentWidget(), window.panel->Widget());
    window.panel->SetVisible(false);
    EXPECT_FALSE(window.panel->Visible());
    EXPECT_TRUE(window.list->Visible()) << "a control keeps its own Visible inside a hidden panel";
    EXPECT_FALSE(window.list->Widget()->isVisible());
    window.panel->SetVisible(true);
    window.first->SetEnabled(false);
    EXPECT_FALSE(window.first->Enabled());
    EXPECT_EQ(ErrorNumberOf([&] { window.first->SetFocus(); }), 5) << "no focus to a disabled control";
}

TEST_F(ControlsTest, ResizingTheWindowRunsItsResizeHandler) {
    const int before = window.resizes;
    window.SetSize(6000, 4500);
    EXPECT_EQ(window.Widget()->width(), 400);
    EXPECT_GT(window.resizes, before);
}

TEST_F(ControlsTest, ColoursFromTheProgramsTexts) {
    const struct {
        const char* text;
        std::uint32_t value;
    } rows[] = {{"&HC0C0FF", 0xC0C0FF}, {"&HFFFFFF", 0xFFFFFF}, {"&HC0", 0xC0},
                {"&H0", 0},           {"&H8000000D", 0x8000000D}, {"&H8000000F&", 0x8000000F},
                {"255", 255}};
    for (const auto& row : rows) EXPECT_EQ(forms::ColorFromText(row.text), row.value) << row.text;
    EXPECT_EQ(ErrorNumberOf([] { forms::ColorFromText("&HXYZ"); }), 13);
    EXPECT_EQ(ErrorNumberOf([] { forms::ColorFromText(""); }), 13);
    EXPECT_EQ(forms::ToQColor(0xC0C0FF), QColor(0xFF, 0xC0, 0xC0)) << "the number is blue-green-red";
    EXPECT_EQ(forms::ToQColor(0x8000000D), QColor(0, 0, 128)) << "system colours come from the one table";
    window.first->SetBackColor(forms::ColorFromText("&HC0C0FF"));
    EXPECT_EQ(window.first->BackColor(), 0xC0C0FFu);
    EXPECT_EQ(window.first->Widget()->palette().color(QPalette::Base), QColor(0xFF, 0xC0, 0xC0));
}

TEST_F(ControlsTest, FocusEventsRunAsTheFocusMoves) {
    std::string log;
    window.first->GotFocus = [&] { log += "1+ "; window.first->SetBackColor(0xC0C0FF); };
    window.first->LostFocus = [&] { log += "1- "; window.first->SetBackColor(0xFFFFFF); };
    window.second->GotFocus = [&] { log += "2+ "; };
    window.first->SetFocus();
    forms::DoEvents();
    window.second->SetFocus();
    forms::DoEvents();
    EXPECT_EQ(log, "1+ 1- 2+ ");
    EXPECT_EQ(window.first->BackColor(), 0xFFFFFFu);
    EXPECT_TRUE(window.second->HasFocus());
    EXPECT_GE(window.activations, 1) << "showing the window activated it";
}

// The loop that takes every control out of the tab order skips those without a TabStop (438).
TEST_F(ControlsTest, TabStopOnEveryControlOrError438) {
    window.Add<forms::Label>("LblMensagem");
    int skipped = 0;
    for (forms::Control* control : window.Controls()) {
        try {
            control->SetTabStop(false);
        } catch (const win::RuntimeError& error) {
            EXPECT_EQ(error.Number(), 438) << control->Name();
            ++skipped;
        }
    }
    EXPECT_EQ(skipped, 2) << "the label and the timer";
    EXPECT_FALSE(window.first->TabStop());
    window.first->SetTabStop(true);
    EXPECT_TRUE(window.first->TabStop());
}

TEST_F(ControlsTest, CheckAndOptionValuesClickWhenSet) {
    int clicks = 0;
    window.check->Click = [&] { ++clicks; };
    window.option->Click = [&] { ++clicks; };
    window.check->SetValue(1);
    EXPECT_EQ(window.check->Value(), 1);
    window.check->SetValue(1);
    window.option->SetValue(true);
    EXPECT_TRUE(window.option->Value());
    EXPECT_EQ(clicks, 2) << "setting the same value again does not click";
    EXPECT_EQ(ErrorNumberOf([&] { window.check->SetValue(3); }), 380);
}

TEST_F(ControlsTest, TimerFiresWhileEnabled) {
    int ticks = 0;
    window.timer->OnTimer = [&] {
        if (++ticks == 2) window.timer->SetTimerEnabled(false);
    };
    window.timer->SetInterval(1);
    QElapsedTimer waited;
    waited.start();
    while (ticks < 2 && waited.elapsed() < 2000) forms::DoEvents();
    forms::DoEvents();
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(ErrorNumberOf([&] { window.timer->SetInterval(-1); }), 380);
}

// The Qt boxes: the style's buttons with their default and Esc button, pressed from a timer.
TEST_F(ControlsTest, QtBoxesHaveTheStylesDefaultAndEscapeButtons) {
    const struct {
        int style;
        const char* defaultText;
        int answerOfEscape;   // 0: Esc does not close, the default is pressed instead
    } rows[] = {{292, "Não", 0}, {291, "Não", forms::mb::Cancel}, {48, "OK", forms::mb::Ok}};
    forms::QtMessageBoxes boxes;
    for (const auto& row : rows) {
        std::string defaultText;
        bool escapeSet = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            defaultText = box->defaultButton()->text().toStdString();
            escapeSet = box->escapeButton() != nullptr;
            QAbstractButton* press = box->escapeButton();
            if (!press) press = box->defaultButton();
            press->click();
        });
        const int answer = boxes.Show("Texto", row.style, "Mensagem");
        EXPECT_EQ(defaultText, row.defaultText) << row.style;
        EXPECT_EQ(escapeSet, row.answerOfEscape != 0) << row.style;
        EXPECT_EQ(answer, row.answerOfEscape ? row.answerOfEscape : forms::DefaultAnswer(row.style)) << row.style;
    }
}

}  // namespace

// A multi-line text box keeps its line breaks as CR LF; a list-style combo takes only its items.
// A text copied from another program and pasted into a one-line box (a text box, the text of an
// editable combo box) with Ctrl+V or Shift+Insert: its line breaks become blanks between the
// words, a copied line's own break at its end goes.
TEST_F(ControlsTest, PastedLineBreaksBecomeBlanksInOneLineBoxes) {
    struct Row {
        const char* copied;
        const char* text;
    };
    const Row rows[] = {
        {"ANA\r\nMARIA", "ANA MARIA"}, {"ANA\nMARIA", "ANA MARIA"}, {"ANA\rMARIA", "ANA MARIA"},
        {"A\r\n\r\nB", "A  B"},      {"15/03/2000\r\n", "15/03/2000"}, {"ANA", "ANA"},
    };
    const std::pair<Qt::Key, Qt::KeyboardModifier> pastes[] = {{Qt::Key_V, Qt::ControlModifier},
                                                               {Qt::Key_Insert, Qt::ShiftModifier}};
    window.combo->SetStyle(0);
    QWidget* comboEdit = qobject_cast<QComboBox*>(window.combo->Widget())->lineEdit();
    ASSERT_NE(comboEdit, nullptr);
    const std::pair<QWidget*, std::function<std::string()>> boxes[] = {
        {window.first->Widget(), [this] { return window.first->Text(); }},
        {comboEdit, [this] { return window.combo->Text(); }},
    };
    for (const auto& [widget, text] : boxes) {
        for (const auto& [key, modifier] : pastes) {
            for (const Row& row : rows) {
                SCOPED_TRACE(std::string(row.copied) + (widget == comboEdit ? " combo" : " text box") +
                             (key == Qt::Key_V ? " Ctrl+V" : " Shift+Insert"));
                window.first->SetText("");
                window.combo->SetText("");
                widget->setFocus();
                QApplication::clipboard()->setText(QString::fromUtf8(row.copied));
                QTest::keyClick(widget, key, modifier);
                EXPECT_EQ(text(), row.text);
            }
        }
    }
}

TEST(MultiLineAndListControlsTest, LineBreaksAndListStyle) {
    forms::testing::QtApp();
    class Query : public forms::Window {
    public:
        Query() : Window("fQuery") {}
        forms::MultiLineTextBox* lines = nullptr;
        forms::ComboBox* fields = nullptr;

    protected:
        void CreateControls() override {
            lines = &Add<forms::MultiLineTextBox>("cCriteria");
            fields = &Add<forms::ComboBox>("cField");
        }
    } window;
    window.Show();
    int changes = 0;
    window.lines->Change = [&changes] { ++changes; };
    EXPECT_TRUE(window.lines->MultiLine());
    window.lines->SetText("[T].[A] = 1\r\nAnd [T].[B] = 2");
    EXPECT_EQ(window.lines->Text(), "[T].[A] = 1\r\nAnd [T].[B] = 2");
    EXPECT_EQ(changes, 1);
    window.lines->SetText(window.lines->Text() + "\r\n Or x");
    EXPECT_EQ(window.lines->Text(), "[T].[A] = 1\r\nAnd [T].[B] = 2\r\n Or x");
    window.lines->SetSelStart(4);
    window.lines->SetSelLength(3);
    EXPECT_EQ(window.lines->SelStart(), 4);
    EXPECT_EQ(window.lines->SelLength(), 3);

    window.fields->AddItem("[Venda].[Loja]");
    window.fields->AddItem("[Venda].[Caixa]");
    window.fields->SetStyle(2);
    EXPECT_EQ(window.fields->Style(), 2);
    window.fields->SetText("[Venda].[Caixa]");
    EXPECT_EQ(window.fields->ListIndex(), 1);
    EXPECT_EQ(ErrorNumberOf([&] { window.fields->SetText("[Venda].[Loja] Or 1=1"); }), 383);
    EXPECT_EQ(window.fields->Text(), "[Venda].[Caixa]");
    EXPECT_EQ(ErrorNumberOf([&] { window.fields->SetStyle(1); }), 380);
    window.Unload();
    forms::DoEvents();
    forms::App().CollectUnloaded();
}
