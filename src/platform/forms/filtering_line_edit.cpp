#include "platform/forms/filtering_line_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

namespace forms::detail {

FilteringLineEdit::FilteringLineEdit(QWidget* parent, const TextFilters& filters)
    : QLineEdit(parent), filters_(filters)
{
    setFrame(true);
}

void FilteringLineEdit::keyPressEvent(QKeyEvent* e)
{
    if (e == QKeySequence::Paste) {
        PasteFiltered();
        e->accept();
        return;
    }
    const QString text = e->text();
    const bool typed = text.size() == 1 && text.at(0).unicode() >= 32 &&
                       !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (filters_.keyPress && typed) {
        int key = text.at(0).unicode();
        filters_.keyPress(key);
        if (key == 0) {
            e->accept();
            return;
        }
        if (key != text.at(0).unicode()) {
            insert(QString(QChar(key)));
            e->accept();
            return;
        }
    } else if (!text.isEmpty()) {
        // The line edit inserts such text too (AltGr on some layouts arrives as Ctrl+Alt).
        const QString filtered = Filter(text);
        if (filtered != text) {
            QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->nativeScanCode(),
                           e->nativeVirtualKey(), e->nativeModifiers(), filtered,
                           e->isAutoRepeat(), static_cast<quint16>(e->count()));
            QLineEdit::keyPressEvent(&copy);
            e->setAccepted(copy.isAccepted());
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void FilteringLineEdit::mouseReleaseEvent(QMouseEvent* e)
{
    // The middle-button paste of the selection, where the desktop has one.
    if (e->button() == Qt::MiddleButton && !isReadOnly() &&
        QApplication::clipboard()->supportsSelection()) {
        setCursorPosition(cursorPositionAt(e->position().toPoint()));
        insert(Filter(QApplication::clipboard()->text(QClipboard::Selection)));
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

void FilteringLineEdit::dropEvent(QDropEvent* e)
{
    // The line edit places the drop (and removes the source of a move inside the box); it is
    // only handed the filtered text.
    const QMimeData* mime = e->mimeData();
    if (!mime || !mime->hasText()) return QLineEdit::dropEvent(e);
    const QString filtered = Filter(mime->text());
    if (filtered == mime->text()) return QLineEdit::dropEvent(e);
    QMimeData filteredMime;
    filteredMime.setText(filtered);
    QDropEvent copy(e->position(), e->possibleActions(), &filteredMime, e->buttons(), e->modifiers());
    copy.setDropAction(e->dropAction());
    QLineEdit::dropEvent(&copy);
    if (copy.isAccepted()) {
        e->setDropAction(copy.dropAction());
        e->accept();
    } else {
        e->ignore();
    }
}

void FilteringLineEdit::inputMethodEvent(QInputMethodEvent* e)
{
    if (!e->commitString().isEmpty()) {
        const QString filtered = Filter(e->commitString());
        if (filtered != e->commitString()) {
            QInputMethodEvent copy(e->preeditString(), e->attributes());
            copy.setCommitString(filtered, e->replacementStart(), e->replacementLength());
            QLineEdit::inputMethodEvent(&copy);
            return;
        }
    }
    QLineEdit::inputMethodEvent(e);
}

void FilteringLineEdit::contextMenuEvent(QContextMenuEvent* e)
{
    // The standard menu's Paste calls paste(), which is not virtual: route it here. The action
    // is known by its object name where Qt sets one, else by its caption.
    QMenu* menu = createStandardContextMenu();
    const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
    for (QAction* action : menu->actions()) {
        const QString caption = action->text();
        if (action->objectName() == QStringLiteral("edit-paste") || caption == paste ||
            caption.startsWith(paste + QLatin1Char('\t'))) {
            QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
            QObject::connect(action, &QAction::triggered, this, [this] { PasteFiltered(); });
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void FilteringLineEdit::PasteFiltered()
{
    if (isReadOnly()) return;
    insert(Filter(QApplication::clipboard()->text()));
}

QString FilteringLineEdit::Filter(const QString& text) const
{
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != QLatin1Char('\n') && text.at(end) != QLatin1Char('\r'))
        ++end;
    const QString line = text.left(end);
    if (!filters_.insert) return line;
    return QString::fromStdString(filters_.insert(line.toStdString()));
}

}  // namespace forms::detail
