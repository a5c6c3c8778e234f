// The widget layer's own rules, which the program's handlers rely on.

#include <gtest/gtest.h>

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <QWidget>

#include "platform/forms/forms.h"

namespace forms {
namespace {

class Forms : public ::testing::Test {
protected:
    void SetUp() override { form.Show(); }

    void ClickAtWindowPoint(QPoint p)
    {
        QWidget* client = form.ContainerWidget();
        QWidget* target = client->childAt(p);
        if (!target) target = client;
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFrom(client, p));
    }

    Form form{"test", 3000, 3000};
};

TEST_F(Forms, TwipsBecomePixelsAtFifteenEach)
{
    for (const auto& [twips, pixels] : std::vector<std::pair<int, int>>{
             {0, 0}, {15, 1}, {240, 16}, {255, 17}, {1080, 72}, {1335, 89}, {4300, 287}, {7, 0}, {8, 1}})
        EXPECT_EQ(TwipsToPixels(twips), pixels) << twips;
    Label label(form, "l", {1080, 240, 255, 1335}, "");
    EXPECT_EQ(label.Widget()->geometry(), QRect(72, 16, 17, 89));
    EXPECT_EQ(label.Left(), 1080);
    EXPECT_EQ(label.Height(), 1335);
}

TEST_F(Forms, ColoursReadBackExactly)
{
    Label label(form, "l", {0, 0, 300, 300}, "");
    for (Colour c : {Colour{0}, Colour{255}, Colour{0x0080C0FF}, Colour{0x00FFFFFF}, kSystemWindowColour}) {
        label.SetBackColor(c);
        EXPECT_EQ(label.BackColor(), c);
    }
    EXPECT_NE(kSystemWindowColour, Colour{0x00FFFFFF});
}

TEST_F(Forms, CheckBoxRunsItsHandlerOnlyOnAChange)
{
    CheckBox box(form, "c", {}, "");
    std::vector<int> seen;
    box.OnClick([&] { seen.push_back(box.Value()); });
    box.SetValue(0);
    box.SetValue(1);
    box.SetValue(1);
    box.SetValue(0);
    EXPECT_EQ(seen, (std::vector<int>{1, 0}));
}

TEST_F(Forms, ResettingItsOwnBoxRunsTheHandlerOnceMoreNested)
{
    CheckBox box(form, "c", {}, "");
    int depth = 0, runs = 0;
    box.OnClick([&] {
        ++runs;
        ++depth;
        if (depth < 5) box.SetValue(0);
        --depth;
    });
    box.SetValue(1);
    EXPECT_EQ(runs, 2);
}

TEST_F(Forms, ClicksReachOnlyEnabledVisibleUncoveredControls)
{
    int under = 0, cover = 0;
    Label below(form, "below", {0, 0, 600, 600}, "");
    below.OnClick([&] { ++under; });
    ClickAtWindowPoint({10, 10});
    EXPECT_EQ(under, 1);

    below.SetEnabled(false);
    ClickAtWindowPoint({10, 10});
    below.Click();
    EXPECT_EQ(under, 1);
    below.SetEnabled(true);

    PictureBox panel(form, "panel", {0, 0, 900, 900});  // created later: lies above
    Label onPanel(panel, "onPanel", {150, 150, 300, 300}, "");
    onPanel.OnClick([&] { ++cover; });
    ClickAtWindowPoint({5, 5});
    EXPECT_EQ(under, 1);  // the panel covers it
    ClickAtWindowPoint({15, 15});
    EXPECT_EQ(cover, 1);
    EXPECT_EQ(onPanel.Widget()->mapTo(form.ContainerWidget(), QPoint(0, 0)), QPoint(10, 10));

    panel.SetVisible(false);
    EXPECT_TRUE(onPanel.Visible());  // its own flag stays
    onPanel.Click();
    EXPECT_EQ(cover, 1);  // hidden with its container
    ClickAtWindowPoint({15, 15});
    EXPECT_EQ(under, 2);
}

TEST_F(Forms, PictureIdentity)
{
    QImage image(4, 4, QImage::Format_Mono);
    image.fill(0);
    const Picture a(image), b(image);
    const Picture shared = a;
    EXPECT_EQ(a, shared);
    EXPECT_EQ(a.Handle(), shared.Handle());
    EXPECT_FALSE(a == b);
    EXPECT_EQ(Picture().Handle(), 0u);
    PictureBox box(form, "p", {});
    EXPECT_EQ(box.GetPicture().Handle(), 0u);
    box.SetPicture(a);
    EXPECT_EQ(box.GetPicture(), a);
}

TEST_F(Forms, KeyPressFilterCanDropACharacter)
{
    TextBox text(form, "t", {0, 0, 1500, 300}, "");
    text.OnKeyPress([](int& key) {
        if (key == ',') key = 0;
    });
    QWidget* edit = text.Widget()->findChild<QWidget*>();
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, QStringLiteral("a,b"));
    EXPECT_EQ(text.Text(), "ab");
}


TEST_F(Forms, DisabledChildSwallowsTheClickInsteadOfItsContainer)
{
    int boxClicks = 0, labelClicks = 0;
    PictureBox box(form, "box", {0, 0, 1500, 1500});
    box.OnClick([&] { ++boxClicks; });
    Label inside(box, "inside", {0, 0, 600, 600}, "");
    inside.OnClick([&] { ++labelClicks; });
    inside.SetEnabled(false);
    ClickAtWindowPoint({10, 10});
    EXPECT_EQ(labelClicks, 0);
    EXPECT_EQ(boxClicks, 0);
    ClickAtWindowPoint({80, 80});  // the box itself, beside the label
    EXPECT_EQ(boxClicks, 1);
}

// Two quick pairs of presses, delivered as the window system delivers them: Qt makes each pair's
// second press a double-click. Every press is a click of its own, whatever kind of control.
TEST_F(Forms, EveryQuickPressIsAClick)
{
    PictureBox box(form, "box", {0, 0, 600, 600});
    Label label(form, "label", {600, 0, 600, 600}, "");
    CommandButton button(form, "button", {1200, 0, 600, 600}, "");
    CheckBox check(form, "check", {1800, 0, 600, 600}, "", CheckBox::Style::Graphical);
    const std::vector<std::pair<const char*, Control*>> controls{
        {"picture box", &box}, {"label", &label}, {"button", &button}, {"check box", &check}};
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Window()));
    for (const auto& [kind, control] : controls) {
        SCOPED_TRACE(kind);
        int clicks = 0;
        control->OnClick([&clicks] { ++clicks; });
        QWidget* w = control->Widget();
        const QPoint at = w->mapTo(form.Window(), w->rect().center());
        QTest::mouseDClick(form.Window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(form.Window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(clicks, 4);
    }
    EXPECT_EQ(check.Value(), 0);  // flipped four times
}

TEST_F(Forms, TextBoxEditFollowsItsSize)
{
    TextBox text(form, "t", {0, 0, 1500, 300}, "");
    text.SetWidth(600);
    QWidget* edit = text.Widget()->findChild<QWidget*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->width(), 40);
}

TEST_F(Forms, ButtonsAnswerTheKeyboard)
{
    int clicks = 0;
    CommandButton button(form, "b", {0, 0, 1200, 600}, "PLAY");
    button.OnClick([&] { ++clicks; });
    CheckBox pause(form, "c", {0, 600, 1200, 600}, "PAUSE", CheckBox::Style::Graphical);
    QTest::keyClick(button.Widget(), Qt::Key_Space);
    QTest::keyClick(pause.Widget(), Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(pause.Value(), 1);
    EXPECT_EQ(button.Widget()->focusPolicy(), Qt::StrongFocus);
}


// Rows of the widget's own drawing that hold any dark pixel.
int InkedRows(QWidget* widget, int fromRow)
{
    const QImage image = widget->grab().toImage();
    int rows = 0;
    for (int y = fromRow; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                ++rows;
                break;
            }
    return rows;
}

TEST_F(Forms, SingleLineLabelCutsItsCaptionOffAtTheRightEdge)
{
    // Tall enough to show the lines a wrapping label breaks the caption onto.
    const std::string words = "la la la la la la la la la la la la la la la la la la la la la";
    Label wrapping(form, "w", {0, 0, 1200, 1500}, words);
    Label single(form, "s", {1500, 0, 1200, 1500}, words);
    single.SetSingleLine(true);
    const int lineHeight = single.Widget()->fontMetrics().height();
    EXPECT_GT(InkedRows(wrapping.Widget(), lineHeight), 0);
    EXPECT_EQ(InkedRows(single.Widget(), lineHeight), 0);
    EXPECT_GT(InkedRows(single.Widget(), 0), 0);
}

TEST_F(Forms, ButtonCaptionBreaksBetweenWords)
{
    CommandButton narrow(form, "b", {0, 0, 855, 1215}, "Click Here To Print");
    const int lineHeight = narrow.Widget()->fontMetrics().height();
    EXPECT_GT(InkedRows(narrow.Widget(), 0), 2 * lineHeight);  // three lines of text
}

TEST_F(Forms, AutoSizedPictureBoxTakesThePicturesSizeOnScreen)
{
    PictureBox box(form, "p", {0, 0, 300, 300});
    QImage fine(80, 40, QImage::Format_RGB32);
    fine.setDevicePixelRatio(4);  // 20 x 10 on screen
    box.SetPicture(Picture(fine));
    EXPECT_EQ(box.Width(), 300);
    box.SetAutoSize(true);
    EXPECT_TRUE(box.AutoSize());
    box.SetPicture(Picture(fine));
    EXPECT_EQ(box.Width(), 300);
    EXPECT_EQ(box.Height(), 150);
    box.SetPicture(Picture());  // no picture: the size stays
    EXPECT_EQ(box.Width(), 300);
}

TEST_F(Forms, DisabledBorderlessTextBoxKeepsItsColours)
{
    TextBox text(form, "t", {0, 0, 3000, 480}, "Author");
    text.SetBorder(false);
    text.SetForeColor(0x00000000);
    text.SetEnabled(false);
    auto* edit = text.Widget()->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(edit->hasFrame());
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_EQ(edit->palette().color(QPalette::Disabled, QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(edit->palette().color(QPalette::Disabled, QPalette::Base), QColor(Qt::white));
}

TEST_F(Forms, TextSetByCodeShowsFromItsStart)
{
    const std::string longText = "Begins here and runs on far beyond the right edge of the box";
    TextBox early(form, "e", {0, 0, 900, 300}, longText);  // its editor is made now, shown
    TextBox later(form, "l", {0, 300, 900, 300}, "");
    later.SetText(longText);
    for (const TextBox* box : {&early, &later}) {
        const auto* edit = box->Widget()->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->cursorPosition(), 0);
    }
}

TEST(FormLifetime, ClosingUnloadsOnlyAWindowThatAskedForIt)
{
    Form plain("plain", 600, 600);
    Form secondary("secondary", 600, 600);
    secondary.UnloadOnClose();
    plain.Show();
    secondary.Show();
    EXPECT_TRUE(secondary.Loaded());
    plain.Window()->close();
    secondary.Window()->close();
    EXPECT_TRUE(plain.Loaded());
    EXPECT_FALSE(secondary.Loaded());
    EXPECT_FALSE(secondary.Window()->testAttribute(Qt::WA_QuitOnClose));
}

// The design fonts of every window (the main window's and the print previews'), at the design
// size where the caption fits, else at the largest size that fits its box.
TEST_F(Forms, CaptionsTakeTheLargestSizeThatFits)
{
    struct Case {
        Font font;
        const char* family;
    };
    const std::vector<Case> fonts{
        {{"Verdana", 8.25, true}, "DejaVu Sans"},     {{"Verdana", 9.75, true}, "DejaVu Sans"},
        {{"Verdana", 12, true}, "DejaVu Sans"},       {{"Verdana", 24, false}, "DejaVu Sans"},
        {{"Verdana", 14.25, false}, "DejaVu Sans"},   {{"Verdana", 11.25, false}, "DejaVu Sans"},
        {{"Arial", 8.25, true}, "Liberation Sans"},   {{"MS Sans Serif", 8.25, false}, "Liberation Sans"},
    };
    for (const Case& c : fonts) {
        for (const int width : {6000, 600, 240}) {
            SCOPED_TRACE(c.font.name + " " + std::to_string(c.font.points) + " in " + std::to_string(width));
            Label label(form, "l", {0, 0, width, 600}, "Author");
            label.SetFont(c.font);
            const CaptionLayout layout = CaptionOf(label.Widget());
            const QFont design = DesignFont(c.font);
            // The design font itself where the machine has it, else its free stand-in.
            const QString designFamily = c.font.name == "Verdana" ? QStringLiteral("Verdana")
                                                                  : QStringLiteral("Arial");
            EXPECT_EQ(design.family(), QFontDatabase::hasFamily(designFamily)
                                           ? designFamily
                                           : QString::fromLatin1(c.family));
            EXPECT_EQ(QFontInfo(design).family(), design.family());  // installed
            EXPECT_EQ(design.bold(), c.font.bold);
            const QRect box(layout.left, layout.top, layout.width, layout.height);
            const auto fits = [&](const QFont& f) {
                return box.contains(QFontMetrics(f).boundingRect(box, layout.flags, QStringLiteral("Author")));
            };
            const QFont& drawn = *layout.font;
            EXPECT_EQ(drawn.family(), design.family());
            EXPECT_LE(drawn.pixelSize(), design.pixelSize());
            EXPECT_TRUE(fits(drawn) || drawn.pixelSize() == 6);
            if (drawn.pixelSize() < design.pixelSize()) {
                QFont larger = drawn;
                larger.setPixelSize(drawn.pixelSize() + 1);
                EXPECT_FALSE(fits(larger));
            }
        }
    }
}

// A new caption or size is fitted again; a button's caption may take two lines.
TEST_F(Forms, CaptionsAreFittedAgainWhenTheyChange)
{
    CommandButton button(form, "b", {0, 0, 1215, 855}, "PLAY");
    button.SetFont({"Verdana", 9.75, true});
    const int design = DesignFont(button.GetFont()).pixelSize();
    EXPECT_EQ(CaptionOf(button.Widget()).font->pixelSize(), design);
    button.SetCaption("PLAY PAUSED");
    EXPECT_EQ(CaptionOf(button.Widget()).font->pixelSize(), design);  // on two lines
    button.SetWidth(600);
    EXPECT_LT(CaptionOf(button.Widget()).font->pixelSize(), design);
    button.SetWidth(1215);
    EXPECT_EQ(CaptionOf(button.Widget()).font->pixelSize(), design);
    EXPECT_EQ(CaptionOf(form.ContainerWidget()).caption, "");
}

}  // namespace
}  // namespace forms
