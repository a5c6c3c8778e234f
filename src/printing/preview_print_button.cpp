// The print button of the preview windows: prints what the window shows, without the button, on
// the default printer (or into a PDF file when there is none), scaled to the paper. The window
// stays open and the button comes back whatever became of the job, even when the capture or the
// printing fails with an error; a job that did not reach the printer is explained in a message box.

#include <exception>
#include <new>
#include <string>
#include <utility>

#include "platform/comdlg/common_dialog.h"
#include "printing/preview_windows.h"
#include "printing/printing_module.h"

namespace strumwell {

namespace {
// Runs its action when the scope is left, by return or by exception.
template <class Action>
class OnScopeExit {
public:
    explicit OnScopeExit(Action action) : action_(std::move(action)) {}
    ~OnScopeExit() { action_(); }
    OnScopeExit(const OnScopeExit&) = delete;
    OnScopeExit& operator=(const OnScopeExit&) = delete;

private:
    Action action_;
};
}  // namespace

void PrintPreviewWindow::Command1_Click()
{
    std::string message;
    {
        printing_ = true;
        Command1.SetVisible(false);
        const OnScopeExit buttonBack([this] {
            Command1.SetVisible(true);
            printing_ = false;
        });
        try {
            forms::DoEvents();  // the window repaints without the button before it is captured
            Picture1.SetPicture(PrintingModule::GrabFormClient(*services_.gdi, *this));
            services_.printer->SetDocumentTitle(lblNewTitle.Caption());
            PrintingModule::PrintPictureFitted(*services_.printer, Picture1.GetPicture());
            message = services_.printer->EndDoc().message;
        } catch (const std::bad_alloc&) {
            message = "The page could not be printed: there was not enough memory to copy the "
                      "window for the printer.";
        } catch (const std::exception& e) {
            message = std::string("The page could not be printed because something went wrong "
                                  "while preparing it (") + e.what() + ").";
        }
        forms::DoEvents();
    }
    if (!message.empty()) services_.messageBox->Show(message);
}

}  // namespace strumwell
