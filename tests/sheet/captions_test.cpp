// Every caption of the main window and of the newer-edition panel shows whole at its design
// geometry, in the fonts the program installs, in every caption it takes.

#include "support/window_fixture.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMainWindow>
#include <QRect>
#include <QStringList>

#include <set>

namespace strumwell::testing {
namespace {

class Captions : public WindowTest {
protected:
    // Checks every widget that draws a caption; returns the names of those seen.
    std::set<std::string> CheckAll()
    {
        std::set<std::string> seen;
        for (const QWidget* widget : w().Window()->findChildren<QWidget*>()) {
            const forms::CaptionLayout layout = forms::CaptionOf(widget);
            if (layout.caption.empty()) continue;
            const std::string name = widget->objectName().toStdString();
            seen.insert(name);
            SCOPED_TRACE(name + " \"" + layout.caption + "\"");
            const QFont& font = *layout.font;
            // The font is there, not a stand-in the desktop picked.
            EXPECT_EQ(QFontInfo(font).family(), font.family());
            const QRect box(layout.left, layout.top, layout.width, layout.height);
            EXPECT_TRUE(widget->rect().contains(box));
            const QString caption = QString::fromStdString(layout.caption);
            const QFontMetrics metrics(font);
            // Lines break between words only: each word fits the width by itself.
            for (const QString& word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                EXPECT_LE(metrics.horizontalAdvance(word), box.width()) << word.toStdString();
            if (!(layout.flags & Qt::TextWordWrap)) {
                EXPECT_LE(metrics.horizontalAdvance(caption), box.width());
            }
            const QRect text = metrics.boundingRect(box, layout.flags, caption);
            EXPECT_LE(text.height(), box.height());
            EXPECT_TRUE(box.contains(text)) << "text " << text.width() << "x" << text.height() << " in "
                                            << box.width() << "x" << box.height();
        }
        return seen;
    }
};

TEST_F(Captions, EveryCaptionFitsItsBox)
{
    const std::set<std::string> seen = CheckAll();
    for (const char* name : {"lblTitle", "lblAuthor", "Label1", "lblSpeed", "lblFaster", "lblSlower",
                             "cmdPlay", "chkPause", "cmdStop", "lblChords", "lblSolos", "lblRest",
                             "Label2", "Label3", "cmdUpdate", "cmdCloseUpdate", "lblPage1"})
        EXPECT_TRUE(seen.count(name)) << name;

    // The captions playback gives: "PLAY PAUSED" is the only sign of the pause.
    w().transport.cmdPlay.Click();
    w().transport.chkPause.Click();
    ASSERT_EQ(w().transport.cmdPlay.Caption(), "PLAY PAUSED");
    CheckAll();
    w().transport.cmdStop.Click();
}

}  // namespace
}  // namespace strumwell::testing
