// The title, author and lyrics boxes keep commas out, whichever way text arrives: a comma in any
// of them would end its field in the song file and shift every later line.

#include "pages_fixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <functional>

namespace strumwell::testing {
namespace {

class CommaFilter : public PagesTest {
protected:
    std::vector<std::pair<std::string, TextBox*>> Boxes()
    {
        return {{"title", &w().sheet.txtTitle}, {"author", &w().sheet.txtAuthor},
                {"lyrics", &w().sheet.txtLyrics}};
    }
};

void Send(QWidget* target, QEvent* event) { QApplication::sendEvent(target, event); }

void Paste(QLineEdit* edit, const QKeyCombination& keys, const QString& text)
{
    QApplication::clipboard()->setText(text);
    QTest::keyClick(edit, keys.key(), keys.keyboardModifiers());
}

void PasteFromContextMenu(QLineEdit* edit, const QString& text)
{
    QApplication::clipboard()->setText(text);
    QContextMenuEvent event(QContextMenuEvent::Mouse, edit->rect().center(),
                            edit->mapToGlobal(edit->rect().center()));
    Send(edit, &event);
    QMenu* menu = edit->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    QAction* paste = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().startsWith(QStringLiteral("&Paste"))) paste = action;
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    menu->close();
    delete menu;
}

void Drop(QLineEdit* edit, const QString& text)
{
    QMimeData mime;
    mime.setText(text);
    const QPointF at(edit->width() - 2, edit->height() / 2);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    Send(edit, &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    Send(edit, &move);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    Send(edit, &drop);
    EXPECT_TRUE(drop.isAccepted());
}

void InputMethodCommit(QLineEdit* edit, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    Send(edit, &event);
}

// A key whose text the line edit would insert although it is not a plain typed character.
void KeyWithText(QLineEdit* edit, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    Send(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    Send(edit, &release);
}

struct Way {
    const char* name;
    std::function<void(QLineEdit*, const QString&)> deliver;  // brings the text into the box
};

const Way kPastes[] = {
    {"Ctrl+V",
     [](QLineEdit* e, const QString& t) { Paste(e, Qt::ControlModifier | Qt::Key_V, t); }},
    {"Shift+Insert",
     [](QLineEdit* e, const QString& t) { Paste(e, Qt::ShiftModifier | Qt::Key_Insert, t); }},
    {"context menu Paste", PasteFromContextMenu},
    {"drop", Drop},
    {"input method", InputMethodCommit},
    {"one key with several characters",
     [](QLineEdit* e, const QString& t) { KeyWithText(e, Qt::Key_unknown, Qt::NoModifier, t); }},
};

TEST_F(CommaFilter, EveryWayInLeavesTheCommaOut)
{
    std::vector<Way> ways(std::begin(kPastes), std::end(kPastes));
    ways.push_back({"typed", [](QLineEdit* e, const QString& t) { QTest::keyClicks(e, t); }});
    ways.push_back({"Alt+comma between letters", [](QLineEdit* e, const QString&) {
             QTest::keyClick(e, Qt::Key_A);
             KeyWithText(e, Qt::Key_Comma, Qt::AltModifier, QStringLiteral(","));
             KeyWithText(e, Qt::Key_Comma, Qt::ControlModifier | Qt::AltModifier,
                         QStringLiteral(","));  // AltGr where it arrives as Ctrl+Alt
             QTest::keyClick(e, Qt::Key_B);
         }});
    for (const auto& [name, box] : Boxes()) {
        for (const Way& way : ways) {
            SCOPED_TRACE(::testing::Message() << name << ", " << way.name);
            box->SetText("x");
            QLineEdit* edit = Editor(*box);
            edit->setFocus();
            edit->end(false);
            way.deliver(edit, QStringLiteral("a,b"));
            EXPECT_EQ(box->Text(), "xab");
        }
    }
}

// The texts are saved one a line: a line break would shift the file as a comma does. Of text with
// line breaks only the first line comes in, as with a single-line edit box.
TEST_F(CommaFilter, OnlyTheFirstLineOfTextWithLineBreaksComesIn)
{
    for (const auto& [name, box] : Boxes()) {
        for (const Way& way : kPastes) {
            for (const QString& text : {QStringLiteral("a,b\nc,d"), QStringLiteral("a,b\r\nc")}) {
                SCOPED_TRACE(::testing::Message() << name << ", " << way.name);
                box->SetText("x");
                QLineEdit* edit = Editor(*box);
                edit->setFocus();
                edit->end(false);
                way.deliver(edit, text);
                EXPECT_EQ(box->Text(), "xab");
            }
        }
    }
}

TEST_F(CommaFilter, OtherCharactersPassUnchanged)
{
    for (const auto& [name, box] : Boxes()) {
        SCOPED_TRACE(name);
        box->SetText("");
        QTest::keyClicks(Editor(*box), QStringLiteral("It's 1 song. (Yes!)"));
        EXPECT_EQ(box->Text(), "It's 1 song. (Yes!)");
        QApplication::clipboard()->setText(QStringLiteral(" ok; no"));
        QTest::keyClick(Editor(*box), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(box->Text(), "It's 1 song. (Yes!) ok; no");
    }
}

TEST_F(CommaFilter, KeyPressHandlersCancelOnlyTheComma)
{
    using Handler = void (Strumwellfrm::*)(int&);
    for (const Handler handler : {&Strumwellfrm::txtTitle_KeyPress,
                                  &Strumwellfrm::txtAuthor_KeyPress,
                                  &Strumwellfrm::txtLyrics_KeyPress}) {
        for (const int key : {44, 43, 45, 46, 97, 32}) {
            int code = key;
            (w().*handler)(code);
            EXPECT_EQ(code, key == 44 ? 0 : key);
        }
    }
}

TEST_F(CommaFilter, MiddleClickPasteOfTheSelection)
{
    if (!QApplication::clipboard()->supportsSelection())
        GTEST_SKIP() << "this platform has no selection clipboard";
    for (const auto& [name, box] : Boxes()) {
        SCOPED_TRACE(name);
        box->SetText("x");
        QApplication::clipboard()->setText(QStringLiteral("a,b"), QClipboard::Selection);
        QLineEdit* edit = Editor(*box);
        QTest::mouseClick(edit, Qt::MiddleButton, Qt::NoModifier,
                          QPoint(edit->width() - 2, edit->height() / 2));
        EXPECT_EQ(box->Text(), "xab");
    }
}

}  // namespace
}  // namespace strumwell::testing
