#pragma once
// The printer: one page at a time on the system's default printer. The program paints pictures on
// the page in the printer's scale unit and ends the document, which sends it.
//
// Positions and sizes are in the printer's ScaleMode (twips, 1) from the top-left corner of the
// printable area; ScaleWidth and ScaleHeight are the printable area of the default paper. ScaleX
// and ScaleY convert between scale units (forms/scale_units.h), pixels being the printer's dots.
//
// EndDoc says how the document went. With no default printer, or no print service answering, the
// page goes into a PDF file in the user's documents folder instead; a job that waits in its queue
// (the printer paused, or the job held), a refused job, a file that cannot be written, or a
// document with nothing painted on it (a paper without printable area, or an empty picture) is
// reported, never thrown. The caller shows `message` to the user when it is not empty.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QPageLayout>

#include "platform/forms/forms.h"

namespace platform {

struct PrintOutcome {
    enum class Kind {
        Printed,      // the default printer took the job and is printing it
        Waiting,      // the printer took the job, which waits in its queue: paused, or held
        SavedAsPdf,   // no default printer or no print service: the page is in `path`
        Failed,       // the printer refused the job, or the PDF could not be written
        NothingPrinted,  // nothing was painted since the last EndDoc: nothing was sent
    };
    Kind kind = Kind::NothingPrinted;
    std::string printer;  // the printer's name, when there is one
    std::string path;     // the PDF written, for SavedAsPdf
    std::string message;  // what to tell the user; empty when the job went to the printer
};

class Printer {
public:
    virtual ~Printer() = default;
    virtual int ScaleMode() const = 0;
    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;
    virtual float ScaleX(float width, int fromScale, int toScale) const = 0;
    virtual float ScaleY(float height, int fromScale, int toScale) const = 0;
    // The whole picture stretched to width x height with its top-left corner at (x, y).
    virtual void PaintPicture(const forms::Picture& picture, float x, float y, float width,
                              float height) = 0;
    virtual PrintOutcome EndDoc() = 0;

    // The name the document goes by: the job's title, and the PDF's name when there is no
    // printer. Kept until changed.
    void SetDocumentTitle(const std::string& title) { title_ = title; }
    const std::string& DocumentTitle() const { return title_; }

private:
    std::string title_;
};

// The system's default printer through Qt's print support and CUPS. Pages are laid on the
// printer's own default paper, in its default orientation, within the printable area its
// description gives for that paper; the user's own settings for the printer (its options and
// instances in lpoptions) count first, and the job carries them. Pictures are drawn at their full
// resolution without smoothing. The default printer and its paper are looked up when the first
// page of a document is painted or measured; a print service gone by the time the page is sent
// is told as one that does not answer.
class DefaultPrinter final : public Printer {
public:
    // `documentsFolder` empty: the user's documents folder of the desktop (XDG_DOCUMENTS_DIR).
    // `paper`, when given, is the paper pages are laid on instead of the default printer's.
    explicit DefaultPrinter(std::string documentsFolder = {},
                            std::optional<QPageLayout> paper = std::nullopt);
    ~DefaultPrinter() override;

    int ScaleMode() const override;
    float ScaleWidth() const override;
    float ScaleHeight() const override;
    float ScaleX(float width, int fromScale, int toScale) const override;
    float ScaleY(float height, int fromScale, int toScale) const override;
    void PaintPicture(const forms::Picture& picture, float x, float y, float width,
                      float height) override;
    PrintOutcome EndDoc() override;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Test double: a printable area of the given size in hundredths of a millimetre, a scale mode of
// choice, and a record of every conversion and painting in order.
class RecordingPrinter final : public Printer {
public:
    int scaleMode = 1;               // twips
    float widthHimetric = 19000.0f;  // 190 mm
    float heightHimetric = 27000.0f; // 270 mm
    double pixelsPerInch = 600.0;
    PrintOutcome outcome;            // what EndDoc returns

    struct Paint {
        forms::Picture picture;
        float x, y, width, height;
    };
    std::vector<Paint> paints;
    // "ScaleX(value, from, to)" and "ScaleY(...)" in the order asked, values as %g, and "EndDoc".
    mutable std::vector<std::string> calls;

    int ScaleMode() const override { return scaleMode; }
    float ScaleWidth() const override;
    float ScaleHeight() const override;
    float ScaleX(float width, int fromScale, int toScale) const override;
    float ScaleY(float height, int fromScale, int toScale) const override;
    void PaintPicture(const forms::Picture& picture, float x, float y, float width,
                      float height) override;
    PrintOutcome EndDoc() override;
};

}  // namespace platform
