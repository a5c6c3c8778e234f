#pragma once
// Start-up measurement: when STRUMWELL_REPORT_FIRST_PAINT is set, the first paint of the given
// window prints the monotonic time in nanoseconds to stdout ("first-paint <ns>") and ends the
// program, or, when it is set to "stay", goes on running. bench/startup runs the program this way
// and compares it with a bare window; tests wait for it before they act on the running program.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace strumwell {

class FirstPaintProbe : public QObject {
public:
    static void InstallIfAsked(QWidget* window)
    {
        if (qEnvironmentVariableIsEmpty("STRUMWELL_REPORT_FIRST_PAINT")) return;
        auto* probe = new FirstPaintProbe(window);
        for (QWidget* w : window->findChildren<QWidget*>()) w->installEventFilter(probe);
        window->installEventFilter(probe);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("first-paint %lld\n",
                        static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            if (qEnvironmentVariable("STRUMWELL_REPORT_FIRST_PAINT") != QLatin1String("stay"))
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    using QObject::QObject;
    bool reported_ = false;
};

}  // namespace strumwell
