// What holds for every window of the program at once: the busy cursor and the event pump.

#include "platform/forms/forms.h"

#include <QCursor>
#include <QGuiApplication>

#include <optional>

#include "platform/clock/due_time.h"

namespace forms {

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }

void DoEvents()
{
    const platform::DueScope unscheduled(std::nullopt);  // what the pump handles runs when it runs
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace forms
