#pragma once
// The platform services the main window calls, picked once by whoever creates the window: the
// real ones in the program, test doubles in the tests. Every service is always there: a service
// not given is its stand-in (platform/stand_ins.cpp), so no caller ever checks for a missing one.

namespace platform {

class FlashControl;
class Clock;
class CommonDialog;
class MessageBox;
class SaveQuestion;
class Registry;
class Shell;
class Kernel;
class Gdi;
class Printer;

// What a run without the service gets (platform/stand_ins.cpp): the machine's clock, and for
// every other service one that does nothing: no clip sounds, no dialog answers (a file name of
// ""), no message shows, the save question is answered Don't Save (the window closes unasked),
// nothing is registered or opened, Sleep returns at once, a window capture is empty and the
// printer prints nothing.
FlashControl& StandIn(const FlashControl*);
Clock& StandIn(const Clock*);
CommonDialog& StandIn(const CommonDialog*);
MessageBox& StandIn(const MessageBox*);
SaveQuestion& StandIn(const SaveQuestion*);
Registry& StandIn(const Registry*);
Shell& StandIn(const Shell*);
Kernel& StandIn(const Kernel*);
Gdi& StandIn(const Gdi*);
Printer& StandIn(const Printer*);

// A service the window calls, never null: given a service (which outlives the window), that one;
// given none, or nullptr, the service's stand-in.
template <class Service>
class ServiceRef {
public:
    ServiceRef() : service_(&StandIn(static_cast<const Service*>(nullptr))) {}
    // Implicit, so that a service is given as `services.printer = &printer`.
    ServiceRef(Service* service) : service_(service ? service : &StandIn(static_cast<const Service*>(nullptr))) {}

    Service& operator*() const { return *service_; }
    Service* operator->() const { return service_; }

private:
    Service* service_;
};

struct Services {
    ServiceRef<FlashControl> flash;
    ServiceRef<Clock> clock;  // the step timer's clock
    // Song files and desktop.
    ServiceRef<CommonDialog> saveDialog;  // the save dialog, CommonDialog2
    ServiceRef<CommonDialog> openDialog;  // the open dialog, CommonDialog3
    ServiceRef<MessageBox> messageBox;
    ServiceRef<SaveQuestion> saveQuestion;  // asked before the window closes over unsaved work
    ServiceRef<Registry> registry;
    ServiceRef<Shell> shell;
    ServiceRef<Kernel> kernel;
    // Printing: the screen's device layer for window captures and the default printer.
    ServiceRef<Gdi> gdi;
    ServiceRef<Printer> printer;
};

}  // namespace platform
