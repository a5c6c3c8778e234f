#pragma once
// Start-up measurement: when STRUMWELL_REPORT_FIRST_PAINT is set, the first paint of the given
// window prints the monotonic time in nanoseconds to stdout ("first-paint <ns>") and ends the
// program, or, when it is set to "stay", goes on running. bench/startup runs the program this way
// and compares it with a bare window; tests wait for it before they act on the running program.
// The first paint of every other window (a message box, say) prints "window-painted <class>".

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QSet>
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
        qApp->installEventFilter(new FirstPaintProbe(window));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || !watched->isWidgetType()) return false;
        QWidget* painted = static_cast<QWidget*>(watched)->window();
        if (painted == window_ && !reported_) {
            reported_ = true;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("first-paint %lld\n",
                        static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            if (qEnvironmentVariable("STRUMWELL_REPORT_FIRST_PAINT") != QLatin1String("stay"))
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        } else if (painted != window_ && !others_.contains(painted)) {
            others_.insert(painted);
            std::printf("window-painted %s\n", painted->metaObject()->className());
            std::fflush(stdout);
        }
        return false;
    }

private:
    explicit FirstPaintProbe(QWidget* window) : QObject(window), window_(window) {}

    QWidget* window_;
    bool reported_ = false;
    QSet<QWidget*> others_;
};

}  // namespace strumwell
