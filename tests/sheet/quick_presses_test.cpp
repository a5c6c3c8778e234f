// Quick presses through the real window: each press of a label or picture with a click handler is
// a click, also the second of a pair quick enough to be a double-click. Once as Qt delivers a
// window system's double-click, once with presses from outside the program on a real X server
// (ctest runs this program under Xvfb for that).

#include "editing_fixture.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QProcess>
#include <QStandardPaths>
#include <QWindow>
#include <QElapsedTimer>

#include <string>
#include <vector>

namespace strumwell::testing {
namespace {

class QuickPresses : public EditingTest {
protected:
    static QPoint Centre(const forms::Control& control)
    {
        QWidget* w = control.Widget();
        return w->mapTo(w->window(), w->rect().center());
    }

    // `pairs` double-clicks on the control: press, release, press (a double-click), release.
    void DoubleClicks(const forms::Control& control, int pairs)
    {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w().Window()));
        for (int i = 0; i < pairs; ++i)
            QTest::mouseDClick(w().Window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, Centre(control));
    }

    // `presses` presses 0.1 s apart at the control, made by the X server's own pointer; then waits
    // until `done` holds (or ten seconds have passed).
    void PressFromOutside(const forms::Control& control, int presses, const std::function<bool()>& done)
    {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w().Window()));
        const QPoint at = control.Widget()->mapToGlobal(control.Widget()->rect().center());
        QProcess xdotool;
        xdotool.start(QStandardPaths::findExecutable(QStringLiteral("xdotool")),
                      {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
                       QString::number(at.y()), QStringLiteral("click"), QStringLiteral("--repeat"),
                       QString::number(presses), QStringLiteral("--delay"), QStringLiteral("100"),
                       QStringLiteral("1")});
        ASSERT_TRUE(xdotool.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (xdotool.state() != QProcess::NotRunning && waited.elapsed() < 10000) QTest::qWait(20);
        ASSERT_EQ(xdotool.exitCode(), 0) << xdotool.readAllStandardError().toStdString();
        while (!done() && waited.elapsed() < 10000) QTest::qWait(20);
        QTest::qWait(200);  // a press too many would show now
    }

    bool OnX11() const { return QGuiApplication::platformName() == QLatin1String("xcb"); }
};

TEST_F(QuickPresses, FourQuickPressesOfFasterOrSlowerAreFourSteps)
{
    DoubleClicks(w().tempo.lblFaster, 2);
    EXPECT_EQ(w().NoteLength, 1000);
    EXPECT_EQ(w().tempo.lblSpeed.Height(), 2055 + 4 * 100);
    DoubleClicks(w().tempo.lblSlower, 2);
    EXPECT_EQ(w().NoteLength, 1400);
    EXPECT_EQ(w().tempo.lblSpeed.Height(), 2055);
}

TEST_F(QuickPresses, AChordClickedTwiceQuicklySoundsTwice)
{
    DoubleClicks(w().palette.lblG, 1);
    EXPECT_EQ(Loads(), (std::vector<std::string>{Clip("rest.swf"), Clip("G.swf"), Clip("rest.swf"), Clip("G.swf")}));
}

TEST_F(QuickPresses, PressesATenthOfASecondApartOnARealXServer)
{
    if (!OnX11()) GTEST_SKIP() << "needs an X server: ctest runs this under Xvfb";
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) GTEST_SKIP() << "no xdotool";
    PressFromOutside(w().tempo.lblFaster, 4, [&] { return w().NoteLength <= 1000; });
    EXPECT_EQ(w().NoteLength, 1000);
    flash->calls.clear();
    PressFromOutside(w().palette.lblG, 2, [&] { return flash->calls.size() >= 4; });
    EXPECT_EQ(Loads(), (std::vector<std::string>{Clip("rest.swf"), Clip("G.swf"), Clip("rest.swf"), Clip("G.swf")}));
}

}  // namespace
}  // namespace strumwell::testing
