#pragma once
// The real main window over test doubles, started as the program starts it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPoint>
#include <QTest>
#include <QWidget>

#include <memory>
#include <string>

#include "platform/flash/flash_control.h"
#include "platform/services.h"
#include "sheet/strumwellfrm.h"

namespace strumwell::testing {

// The clip folder the tests' windows are given.
inline const std::string kClips = "C:\\Program Files\\Fretlane\\Strumwell\\";

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { Start(""); }

    // Builds a fresh window with the given command line, runs its start-up, shows it and handles
    // what the start-up left for the event loop (a message about the command-line song).
    void Start(const std::string& commandLine)
    {
        window.reset();
        flash = std::make_unique<platform::RecordingFlash>();
        services.flash = flash.get();
        ConfigureServices(services);
        window = std::make_unique<Strumwellfrm>(services, commandLine, kClips);
        window->Form_Load();
        window->Show();
        QCoreApplication::processEvents();
        flash->calls.clear();
    }

    // Hook for fixtures that replace more services.
    virtual void ConfigureServices(platform::Services&) {}

    // A real mouse click at the centre of a control, delivered to whatever widget lies there,
    // as a user's click would be.
    static void ClickAt(const forms::Control& control)
    {
        QWidget* w = control.Widget();
        QWidget* top = w->window();
        const QPoint centre = w->mapTo(top, w->rect().center());
        QWidget* target = top->childAt(centre);
        if (!target) target = top;
        const QPoint local = target->mapFrom(top, centre);
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, local);
    }

    // The clip paths loaded since start-up; every load goes to layer 0.
    std::vector<std::string> Loads() const
    {
        for (const auto& call : flash->calls) EXPECT_EQ(call.first, 0) << call.second;
        return flash->paths();
    }

    Strumwellfrm& w() { return *window; }

    platform::Services services;
    std::unique_ptr<platform::RecordingFlash> flash;
    std::unique_ptr<Strumwellfrm> window;
};

}  // namespace strumwell::testing
