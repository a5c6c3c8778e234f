// The design of the three preview windows, as loaded before anything fills them: every row of the
// sheet at its place, the barlines with their end signs, the clef boxes with their letters, the
// texts, the button and the hidden capture box; and the staff drawn through each row unbroken.

#include "preview_fixture.h"
#include "support/caption_check.h"

#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QRect>

#include <algorithm>
#include <set>

namespace strumwell::testing {
namespace {

constexpr forms::Colour kWhite = 0x00FFFFFF;
constexpr forms::Colour kBlue = 0x00FF0000;

struct RowCase {
    int pages, row;
    int x0, y0, tabTop, clefLeft, tabHeight;
    const char* clefBox;
    bool repeat;
};

const RowCase kRows[] = {
    {1, 1, 720, 2880, 3720, 240, 1575, "imgTab", true},
    {2, 1, 720, 1560, 2400, 240, 1335, "imgTab", false},
    {2, 2, 720, 4440, 5280, 240, 1335, "imgLineStart", true},
    {3, 1, 1080, 480, 1320, 600, 1335, "imgTab", false},
    {3, 2, 720, 2880, 3720, 240, 1335, "imgLineStart", false},
    {3, 3, 720, 5280, 6120, 240, 1335, "Picture3", true},
};

std::string Where(const RowCase& c, int k = 0)
{
    return std::to_string(c.pages) + "-page window, row " + std::to_string(c.row) +
           (k ? ", cell " + std::to_string(k) : "");
}


void ExpectGeometry(const forms::Control& c, forms::Geometry g, const std::string& where)
{
    EXPECT_EQ(c.Left(), g.left) << where << " " << c.Name();
    EXPECT_EQ(c.Top(), g.top) << where << " " << c.Name();
    EXPECT_EQ(c.Width(), g.width) << where << " " << c.Name();
    EXPECT_EQ(c.Height(), g.height) << where << " " << c.Name();
}

void ExpectFont(const forms::Control& c, const forms::Font& f, const std::string& where)
{
    EXPECT_EQ(c.GetFont().name, f.name) << where << " " << c.Name();
    EXPECT_DOUBLE_EQ(c.GetFont().points, f.points) << where << " " << c.Name();
    EXPECT_EQ(c.GetFont().bold, f.bold) << where << " " << c.Name();
}

class PreviewLayout : public PreviewTest {};

TEST_F(PreviewLayout, WindowsAreWhiteAndSizedAsDesigned)
{
    const std::array<std::pair<int, int>, 4> sizes{{{0, 0}, {9555, 6870}, {9795, 7110}, {9795, 7800}}};
    for (int pages = 1; pages <= 3; ++pages) {
        PrintPreviewWindow& p = Preview(pages);
        const auto [width, height] = sizes[static_cast<std::size_t>(pages)];
        EXPECT_EQ(p.Caption(), "Print Preview");
        EXPECT_EQ(p.RowCount(), pages);
        EXPECT_EQ(p.ClientWidth(), width);
        EXPECT_EQ(p.ClientHeight(), height);
        EXPECT_EQ(p.ContainerWidget()->size(), QSize(width / 15, height / 15));
        // A corner that no widget covers shows the window's own back colour.
        const QImage client = p.ContainerWidget()->grab().toImage();
        EXPECT_EQ(client.pixelColor(client.width() - 2, 2), QColor(Qt::white)) << pages;
        // Element 0 of the chord-name and rhythm arrays exists and stays empty.
        EXPECT_EQ(p.imgTab.UBound(), 32 * pages);
        EXPECT_EQ(p.imgChordName.UBound(), 32 * pages);
        EXPECT_EQ(p.imgChordRhythm.UBound(), 32 * pages);
        EXPECT_TRUE(p.imgChordName[0].GetPicture().IsEmpty());
        EXPECT_TRUE(p.imgChordRhythm[0].GetPicture().IsEmpty());
        EXPECT_EQ(p.Picture2.UBound(), 4 * pages - 1);
        EXPECT_EQ(p.Label1.UBound(), 3 * pages - 1);
    }
}

TEST_F(PreviewLayout, EveryRowStandsByItsLeftEdgeAndTop)
{
    // Within a bar cells stand 240 apart; bar b starts 2160 b further right.
    for (const RowCase& c : kRows) {
        PrintPreviewWindow& p = Preview(c.pages);
        for (int k = 1; k <= 32; ++k) {
            const int i = 32 * (c.row - 1) + k;
            const int left = c.x0 + 2160 * ((k - 1) / 8) + 240 * ((k - 1) % 8);
            ExpectGeometry(p.imgTab[i], {left, c.tabTop, 255, c.tabHeight}, Where(c, k));
            ExpectGeometry(p.imgChordRhythm[i], {left, c.y0 + 480, 255, 495}, Where(c, k));
            ExpectGeometry(p.imgChordName[i], {left, c.y0, 255, 495}, Where(c, k));
            EXPECT_EQ(p.imgTab[i].GetPicture(), w().symbols.pctBlank.GetPicture()) << Where(c, k);
            EXPECT_TRUE(p.imgChordName[i].GetPicture().IsEmpty()) << Where(c, k);
            EXPECT_TRUE(p.imgChordRhythm[i].GetPicture().IsEmpty()) << Where(c, k);
            EXPECT_EQ(p.imgTab[i].BackColor(), kWhite) << Where(c, k);
            EXPECT_EQ(p.imgChordName[i].BackColor(), kWhite) << Where(c, k);
            EXPECT_EQ(p.imgChordRhythm[i].BackColor(), forms::kSystemWindowColour) << Where(c, k);
        }
    }
}

TEST_F(PreviewLayout, BarlinesFollowEachBarAndTheLastRowEndsWithTheRepeatSign)
{
    const Picture separator = w().sheet.imgBarline[0].GetPicture();
    for (const RowCase& c : kRows) {
        PrintPreviewWindow& p = Preview(c.pages);
        for (int bar = 1; bar <= 4; ++bar) {
            const PictureBox& line = p.Picture2[4 * (c.row - 1) + bar - 1];
            ExpectGeometry(line, {c.x0 + 1920 + 2160 * (bar - 1), c.tabTop, 240, 1335}, Where(c));
            const Picture& expected = bar < 4   ? separator
                                      : c.repeat ? w().symbols.pctBarlineRepeat.GetPicture()
                                                 : w().symbols.pctBarlineContinue.GetPicture();
            EXPECT_EQ(line.GetPicture(), expected) << Where(c) << ", bar " << bar;
        }
    }
}

TEST_F(PreviewLayout, ClefBoxesOpenEveryRowWithTAB)
{
    for (const RowCase& c : kRows) {
        PrintPreviewWindow& p = Preview(c.pages);
        const PictureBox& clef = p.ClefBox(c.row);
        EXPECT_EQ(clef.Name(), c.clefBox) << Where(c);
        ExpectGeometry(clef, {c.clefLeft, c.tabTop, 495, c.tabHeight}, Where(c));
        // The main window's tab clef, shared as the cells' symbols are.
        EXPECT_EQ(clef.GetPicture(), w().sheet.imgRest[0].GetPicture()) << Where(c);
        EXPECT_EQ(clef.GetPicture().Handle(), w().sheet.imgRest[0].GetPicture().Handle());
        ASSERT_FALSE(clef.GetPicture().IsEmpty()) << Where(c);
        EXPECT_EQ(clef.GetPicture().Image()->size(), QSize(34, 105));
        const std::array<const char*, 3> letters{"T", "A", "B"};
        for (int j = 0; j < 3; ++j) {
            const Label& letter = p.Label1[3 * (c.row - 1) + j];
            EXPECT_EQ(letter.Caption(), letters[static_cast<std::size_t>(j)]) << Where(c);
            EXPECT_EQ(letter.Widget()->parentWidget(), clef.Widget()) << Where(c);
            ExpectGeometry(letter, {120, 360 + 240 * j, 200, 255}, Where(c));
            ExpectFont(letter, {"Verdana", 12, true}, Where(c));
            EXPECT_EQ(letter.BackColor(), kWhite) << Where(c);
        }
    }
    EXPECT_TRUE(Preview(1).imgLineStart.IsNull());
    EXPECT_TRUE(Preview(2).Picture3.IsNull());
}

struct TextCase {
    int pages;
    forms::Geometry title;
    forms::Font titleFont;
    forms::Geometry author;
    forms::Font authorFont;
    std::vector<std::pair<const char*, forms::Geometry>> lyrics;
    forms::Geometry button;
    forms::Font buttonFont;
};

TEST_F(PreviewLayout, TextsAndButtonAsDesigned)
{
    const std::vector<TextCase> cases{
        {1, {1800, 360, 7335, 735}, {"Verdana", 24, false}, {1800, 1200, 7335, 480}, {"Verdana", 14.25, true},
         {{"lblLyrics", {720, 5400, 8775, 255}}}, {240, 240, 1335, 1095}, {"Verdana", 9.75, true}},
        {2, {2040, 120, 7695, 735}, {"Verdana", 24, false}, {2040, 840, 7695, 480}, {"Verdana", 12, true},
         {{"lblLyricsPage1", {600, 3720, 8775, 255}}, {"lblLyricsPage2", {600, 6600, 8775, 255}}},
         {240, 240, 1335, 1095}, {"Verdana", 9.75, true}},
        {3, {1440, 120, 3855, 375}, {"Verdana", 12, true}, {5400, 120, 4215, 360}, {"Verdana", 11.25, false},
         {{"lblLyricsPage1", {1080, 2640, 8775, 255}}, {"lblLyricsPage2", {600, 5040, 9015, 255}},
          {"lblLyricsPage3", {720, 7440, 9015, 255}}},
         {120, 120, 855, 1215}, {"Verdana", 8.25, true}},
    };
    for (const TextCase& c : cases) {
        PrintPreviewWindow& p = Preview(c.pages);
        p.Show();  // a text box makes its editing widget when first shown
        const std::string where = std::to_string(c.pages) + "-page window";
        ExpectGeometry(p.lblNewTitle, c.title, where);
        ExpectFont(p.lblNewTitle, c.titleFont, where);
        EXPECT_EQ(p.lblNewTitle.ForeColor(), kBlue);
        ExpectGeometry(p.txtNewAuthor, c.author, where);
        ExpectFont(p.txtNewAuthor, c.authorFont, where);
        EXPECT_EQ(p.txtNewAuthor.ForeColor(), 0x00000000u);
        EXPECT_FALSE(p.txtNewAuthor.Enabled());
        const auto* edit = p.txtNewAuthor.Widget()->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        EXPECT_FALSE(edit->hasFrame());
        for (int row = 1; row <= c.pages; ++row) {
            const auto& [name, geometry] = c.lyrics[static_cast<std::size_t>(row - 1)];
            const Label& lyrics = p.LyricsLabel(row);
            EXPECT_EQ(lyrics.Name(), name);
            ExpectGeometry(lyrics, geometry, where);
            ExpectFont(lyrics, {"Arial", 8.25, true}, where);
            EXPECT_EQ(lyrics.ForeColor(), kBlue);
        }
        EXPECT_EQ(p.Command1.Caption(), "Click Here To Print");
        ExpectGeometry(p.Command1, c.button, where);
        ExpectFont(p.Command1, c.buttonFont, where);
        EXPECT_TRUE(p.Command1.Visible());
        EXPECT_FALSE(p.Picture1.Visible());
        EXPECT_TRUE(p.Picture1.AutoSize()) << "Form_Load";
    }
    // The named lyrics labels are the rows' labels.
    EXPECT_EQ(&w().Previews().OnePage().lblLyrics, &Preview(1).LyricsLabel(1));
    EXPECT_EQ(&w().Previews().ThreePages().lblLyricsPage3, &Preview(3).LyricsLabel(3));
}

// Every caption of the three windows (the print button, the clef letters) shows
// whole at its design geometry.
TEST_F(PreviewLayout, EveryCaptionFitsItsBox)
{
    for (int pages = 1; pages <= 3; ++pages) {
        SCOPED_TRACE(std::to_string(pages) + "-page window");
        PrintPreviewWindow& p = Preview(pages);
        p.Show();
        const std::set<std::string> seen = CheckCaptionsFit(p.ContainerWidget());
        EXPECT_TRUE(seen.count("Command1"));
    }
}

// A title, author or lyrics line too long for its box is cut off at the box's right edge: on one
// line, from its first letter, at the design size (never wrapped onto lines the box cannot show,
// never shrunk to fit).
TEST_F(PreviewLayout, LongTextsAreCutOffAtTheirBoxesEdgeAtTheirDesignSize)
{
    std::string longText;
    for (int i = 1; i <= 40; ++i) longText += "Verse" + std::to_string(i) + " goes on ";
    for (int pages = 1; pages <= 3; ++pages) {
        PrintPreviewWindow& p = Preview(pages);
        p.lblNewTitle.SetCaption(longText);
        p.txtNewAuthor.SetText(longText);
        for (int row = 1; row <= pages; ++row) p.LyricsLabel(row).SetCaption(longText);
        p.Show();
        std::vector<const Label*> labels{&p.lblNewTitle};
        for (int row = 1; row <= pages; ++row) labels.push_back(&p.LyricsLabel(row));
        for (const Label* label : labels) {
            const std::string where = std::to_string(pages) + "-page window, " + label->Name();
            const forms::CaptionLayout layout = forms::CaptionOf(label->Widget());
            EXPECT_EQ(layout.caption, longText) << where;
            EXPECT_TRUE(layout.flags & Qt::TextSingleLine) << where;
            EXPECT_FALSE(layout.flags & Qt::TextWordWrap) << where;
            EXPECT_TRUE(layout.flags & Qt::AlignLeft) << where;
            ASSERT_TRUE(layout.font) << where;
            EXPECT_EQ(layout.font->pixelSize(), forms::DesignFont(label->GetFont()).pixelSize()) << where;
            // Drawn from the left edge to the right edge: the text runs on past it.
            const QImage shown = label->Widget()->grab().toImage();
            auto inkInColumns = [&](int from, int to) {
                for (int x = from; x < to; ++x)
                    for (int y = 0; y < shown.height(); ++y)
                        if (qGray(shown.pixel(x, y)) < 160) return true;
                return false;
            };
            EXPECT_TRUE(inkInColumns(0, 4)) << where;
            EXPECT_TRUE(inkInColumns(shown.width() - 12, shown.width())) << where;
        }
        // The author's box reads the same way: its first letters, at the design size, cut off.
        const auto* edit = p.txtNewAuthor.Widget()->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        const std::string where = std::to_string(pages) + "-page window, txtNewAuthor";
        EXPECT_EQ(edit->text().toStdString(), longText) << where;
        EXPECT_EQ(edit->cursorPosition(), 0) << where;
        EXPECT_TRUE(edit->alignment() & Qt::AlignLeft) << where;
        EXPECT_EQ(edit->font().pixelSize(), forms::DesignFont(p.txtNewAuthor.GetFont()).pixelSize()) << where;
        EXPECT_GT(QFontMetrics(edit->font()).horizontalAdvance(edit->text()), edit->width()) << where;
    }
}

// Every staff line runs black from cell 1 to the end barline, through the cells' overlaps and the
// three barlines between the bars; the letters of each clef box show inside it, once: beside the
// labels the clef box shows nothing but the staff lines and the bar that starts them.
TEST_F(PreviewLayout, StaffRunsUnbrokenThroughEveryRow)
{
    constexpr std::array<int, 6> kLineRows{17, 31, 43, 56, 69, 83};
    for (const RowCase& c : kRows) {
        PrintPreviewWindow& p = Preview(c.pages);
        p.Show();
        const QImage client = p.ContainerWidget()->grab().toImage();
        const int top = c.tabTop / 15;
        for (const int line : kLineRows)
            for (int x = c.x0 / 15; x < (c.x0 + 8400) / 15; ++x)
                ASSERT_LT(qGray(client.pixel(x, top + line)), 100)
                    << Where(c) << ": staff line " << line << " broken at x " << x;
        for (int j = 0; j < 3; ++j) {
            const QRect letter = p.Label1[3 * (c.row - 1) + j].Widget()->geometry().translated(
                c.clefLeft / 15, top);
            int ink = 0;
            for (int y = letter.top(); y <= letter.bottom(); ++y)
                for (int x = letter.left(); x <= letter.right(); ++x)
                    ink += qGray(client.pixel(x, y)) < 100;
            EXPECT_GT(ink, 10) << Where(c) << ", letter " << j;
        }
        const QRect clef(c.clefLeft / 15, top, 33, c.tabHeight / 15);
        for (int y = clef.top(); y <= clef.bottom(); ++y)
            for (int x = clef.left(); x <= clef.right(); ++x) {
                const QPoint inBox(x - clef.left(), y - top);
                bool underLabel = false;
                for (int j = 0; j < 3; ++j)
                    underLabel |= p.Label1[3 * (c.row - 1) + j].Widget()->geometry().contains(inBox);
                const bool line = std::find(kLineRows.begin(), kLineRows.end(), inBox.y()) != kLineRows.end();
                const bool startBar = inBox.x() >= 3 && inBox.x() <= 4;
                const bool button = p.Command1.Widget()->geometry().contains(x, y);  // 3 pages: over row 1
                if (!underLabel && !line && !startBar && !button) {
                    EXPECT_GE(qGray(client.pixel(x, y)), 100) << Where(c) << ": ink beside the letters at "
                                                              << inBox.x() << "," << inBox.y();
                }
            }
    }
}

}  // namespace
}  // namespace strumwell::testing
