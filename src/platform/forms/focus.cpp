#include "platform/forms/focus.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace forms::detail {

namespace {

// The widget that had the keyboard focus before the one that has it now, in any window.
QPointer<QWidget>& PreviousFocus()
{
    static QPointer<QWidget> previous;
    return previous;
}

}  // namespace

void TrackFocus()
{
    static bool tracking = false;
    if (tracking || !qApp) return;
    tracking = true;
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget* old, QWidget* now) {
        if (old && now && old->window() == now->window()) PreviousFocus() = old;
    });
}

void GiveUpFocus(QWidget* leaving)
{
    QWidget* focus = leaving->window()->focusWidget();
    if (!focus || (focus != leaving && !leaving->isAncestorOf(focus))) return;
    QWidget* back = PreviousFocus();
    if (back && back != leaving && !leaving->isAncestorOf(back) && back->window() == leaving->window() &&
        back->isVisible() && back->isEnabled() && back->focusPolicy() != Qt::NoFocus)
        back->setFocus(Qt::OtherFocusReason);
    else
        leaving->window()->setFocus(Qt::OtherFocusReason);
}

}  // namespace forms::detail
