// The print button of the preview windows: prints what the window shows, without the button, on
// the default printer (or into a PDF file when there is none), scaled to the paper. The window
// stays open and the button comes back whatever became of the job; a job that did not reach the
// printer is explained in a message box.

#include "platform/comdlg/common_dialog.h"
#include "printing/preview_windows.h"
#include "printing/printing_module.h"

namespace strumwell {

void PrintPreviewWindow::Command1_Click()
{
    printing_ = true;
    Command1.SetVisible(false);
    forms::DoEvents();  // the window repaints without the button before it is captured
    platform::PrintOutcome outcome;
    if (services_.gdi && services_.printer) {
        Picture1.SetPicture(PrintingModule::GrabFormClient(*services_.gdi, *this));
        services_.printer->SetDocumentTitle(lblNewTitle.Caption());
        PrintingModule::PrintPictureFitted(*services_.printer, Picture1.GetPicture());
        outcome = services_.printer->EndDoc();
    }
    forms::DoEvents();
    Command1.SetVisible(true);
    printing_ = false;
    if (!outcome.message.empty() && services_.messageBox) services_.messageBox->Show(outcome.message);
}

}  // namespace strumwell
