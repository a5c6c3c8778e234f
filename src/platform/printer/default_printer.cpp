#include "platform/printer/printer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <optional>
#include <string_view>
#include <utility>

#include "platform/forms/scale_units.h"
#include "platform/printer/sentence.h"

namespace platform {

namespace {

// Where a document goes: the default printer's name ("" when there is none), the options the
// user's printer settings give it (its instance's among them), its paper with the printable area,
// and its dots to the inch. `serviceAnswers` is false when no print scheduler answered the
// question.
struct Target {
    std::string printer;
    std::vector<std::pair<std::string, std::string>> options;
    bool serviceAnswers = true;
    QPageLayout layout;
    int resolution = 600;
};

// How the default printer turns the page on its paper by default.
enum class Turn { Portrait, Landscape, ReverseLandscape, ReversePortrait };

Turn DefaultTurn(const cups_dest_t& dest)
{
    const char* requested = cupsGetOption("orientation-requested", dest.num_options, dest.options);
    const std::string_view turn = requested ? requested : "";
    if (turn == "4") return Turn::Landscape;
    if (turn == "5") return Turn::ReverseLandscape;
    if (turn == "6") return Turn::ReversePortrait;
    const char* landscape = cupsGetOption("landscape", dest.num_options, dest.options);
    if (landscape) {
        const std::string_view value(landscape);
        if (value != "false" && value != "no" && value != "off") return Turn::Landscape;
    }
    return Turn::Portrait;
}

// The margins of the paper, given upright, as they lie around a page turned on it: landscape
// turns the page a quarter anticlockwise, so its left edge lies along the paper's bottom;
// reverse landscape turns it clockwise, and reverse portrait upside down.
QMarginsF TurnedMargins(const QMarginsF& upright, Turn turn)
{
    switch (turn) {
    case Turn::Landscape:
        return {upright.bottom(), upright.left(), upright.top(), upright.right()};
    case Turn::ReverseLandscape:
        return {upright.top(), upright.right(), upright.bottom(), upright.left()};
    case Turn::ReversePortrait:
        return {upright.right(), upright.bottom(), upright.left(), upright.top()};
    case Turn::Portrait:
        break;
    }
    return upright;
}

// Whether the print scheduler takes connections at all.
bool ServiceAnswers()
{
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 5000, nullptr);
    if (!http) return false;
    httpClose(http);
    return true;
}

// The printer's own default paper and orientation, and its printable area on that paper: all of
// it but the margins its description says it cannot reach.
void LayOutForPrinter(Target& target, const cups_dest_t& dest)
{
    // Qt names an instance of a printer "printer/instance".
    QString name = QString::fromStdString(target.printer);
    if (dest.instance) name += QLatin1Char('/') + QString::fromUtf8(dest.instance);
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    std::optional<QPrinter> printer;
    if (info.isNull())
        printer.emplace(QPrinter::HighResolution);
    else
        printer.emplace(info, QPrinter::HighResolution);
    // Qt keeps its own default paper where the printer also has it; the printer's own comes first.
    if (!info.isNull() && info.defaultPageSize().isValid()) printer->setPageSize(info.defaultPageSize());
    printer->setPageOrientation(QPageLayout::Portrait);
    QPageLayout upright = printer->pageLayout();
    upright.setUnits(QPageLayout::Point);
    const Turn turn = DefaultTurn(dest);
    const bool sideways = turn == Turn::Landscape || turn == Turn::ReverseLandscape;
    const QMarginsF margins = TurnedMargins(upright.minimumMargins(), turn);
    target.layout = QPageLayout(upright.pageSize(), sideways ? QPageLayout::Landscape : QPageLayout::Portrait,
                                margins, QPageLayout::Point, margins);
    target.resolution = printer->resolution();
}

Target LookUpTarget()
{
    Target target;
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (dest) {
        target.printer = dest->name ? dest->name : "";
        for (int i = 0; i < dest->num_options; ++i)
            target.options.emplace_back(dest->options[i].name, dest->options[i].value);
        LayOutForPrinter(target, *dest);
        cupsFreeDests(1, dest);
    } else {
        target.serviceAnswers = ServiceAnswers();
        // A file to be printed later keeps the usual margins of a PDF page.
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        target.layout = printer.pageLayout();
        target.resolution = printer.resolution();
    }
    return target;
}

// The job's state once the scheduler has it: a message when the page waits in its queue (the
// printer is paused, or the job is held), "" when it is on its way.
std::string WaitingMessage(const std::string& printer, int job)
{
    const std::string queue = "The page waits in the queue of the printer \"" + printer + "\": ";
    if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.c_str(), nullptr)) {
        const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
        const bool stopped = state && std::string_view(state) == std::to_string(IPP_PSTATE_STOPPED);
        cupsFreeDests(1, dest);
        if (stopped) return queue + "the printer is paused, and the page prints when it is resumed.";
    }
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, printer.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    bool held = false;
    for (int i = 0; i < count; ++i)
        if (jobs[i].id == job) held = jobs[i].state == IPP_JSTATE_HELD;
    cupsFreeJobs(count, jobs);
    return held ? queue + "the printer holds it until the job is released." : std::string();
}

constexpr double kTwipsPerPoint = 20.0;

// Why a page is saved as a PDF instead.
constexpr char kNoPrinter[] = "No printer is set up";
constexpr char kNoService[] = "The print service does not answer";

// A file name made of the song's title and the time, without characters a folder cannot hold.
QString PdfName(const std::string& title, const QDateTime& when)
{
    QString name = QString::fromStdString(title).trimmed();
    for (QChar& c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.isNull() || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) name.prepend(QStringLiteral("Strumwell "));
    return name.trimmed() + QLatin1Char(' ') + when.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
}

QString FreePath(const QDir& folder, const QString& stem)
{
    QString path = folder.filePath(stem + QStringLiteral(".pdf"));
    for (int n = 2; QFile::exists(path); ++n)
        path = folder.filePath(stem + QStringLiteral(" (%1).pdf").arg(n));
    return path;
}

}  // namespace

struct DefaultPrinter::State {
    std::string documentsFolder;
    std::optional<QPageLayout> paper;  // instead of the default printer's
    std::optional<Target> target;      // looked up for the document being made
    struct Paint {
        forms::Picture picture;
        float x, y, width, height;  // twips from the printable area's corner
    };
    std::vector<Paint> paints;

    const Target& Current()
    {
        if (!target) {
            target = LookUpTarget();
            if (paper) target->layout = *paper;
        }
        return *target;
    }

    // Draws the document into a PDF file; "" on success, else why not.
    std::string Render(const QString& path, const std::string& title)
    {
        const Target& t = Current();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageLayout(t.layout);
        printer.setResolution(t.resolution);
        printer.setDocName(QString::fromStdString(title));
        printer.setCreator(QStringLiteral("Strumwell"));
        QPainter painter;
        if (!painter.begin(&printer)) return "the file could not be written";
        // Symbol art stays crisp: enlarged by repeating pixels, never smoothed into grey, and
        // stored without loss (a lossy code blurs the edges of lines and letters).
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.setRenderHint(QPainter::LosslessImageRendering, true);
        const double dots = printer.resolution() / 1440.0;
        for (const Paint& p : paints) {
            const QImage* image = p.picture.Image();
            if (!image || image->isNull()) continue;
            const QRectF rect(p.x * dots, p.y * dots, p.width * dots, p.height * dots);
            painter.drawImage(rect, *image, QRectF(image->rect()));
        }
        return painter.end() ? std::string() : std::string("the file could not be written");
    }

    // The page as a PDF file in the documents folder, where it cannot go to a printer; `why`
    // begins the message.
    PrintOutcome SaveAsPdf(const std::string& why, const std::string& title)
    {
        const QString folder = documentsFolder.empty()
                                   ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                   : QString::fromStdString(documentsFolder);
        const QString path = FreePath(QDir(folder), PdfName(title, QDateTime::currentDateTime()));
        QFile probe(path);
        std::string failure;
        if (!QDir().mkpath(folder))
            failure = "the folder could not be made";
        else if (!probe.open(QIODevice::WriteOnly))
            failure = probe.errorString().toStdString();
        else
            probe.close();
        if (failure.empty()) failure = Render(path, title);
        PrintOutcome outcome;
        if (failure.empty()) {
            outcome.kind = PrintOutcome::Kind::SavedAsPdf;
            outcome.path = path.toStdString();
            outcome.message = why + ", so the page was saved as a PDF file:\n" + outcome.path;
        } else {
            QFile::remove(path);
            outcome.kind = PrintOutcome::Kind::Failed;
            outcome.message = why + ", and the page could not be saved as a PDF file in " + folder.toStdString() +
                              ": " + EndOfSentence(failure);
        }
        return outcome;
    }

    // The page as a job for the printer, with the options of the user's printer settings, as the
    // print commands send them.
    PrintOutcome Send(const Target& to, const std::string& title)
    {
        QTemporaryFile job(QDir::temp().filePath(QStringLiteral("strumwell-print-XXXXXX.pdf")));
        std::string failure = job.open() ? Render(job.fileName(), title) : job.errorString().toStdString();
        int id = 0;
        if (failure.empty()) {
            cups_option_t* options = nullptr;
            int count = 0;
            for (const auto& [name, value] : to.options)
                count = cupsAddOption(name.c_str(), value.c_str(), count, &options);
            id = cupsPrintFile(to.printer.c_str(), job.fileName().toLocal8Bit().constData(),
                               title.empty() ? "Strumwell" : title.c_str(), count, options);
            cupsFreeOptions(count, options);
            // The print service may have gone since the printer was looked up.
            if (id == 0 && !ServiceAnswers()) return SaveAsPdf(kNoService, title);
            if (id == 0) failure = cupsLastErrorString() ? cupsLastErrorString() : "unknown error";
        }
        PrintOutcome outcome;
        outcome.printer = to.printer;
        if (!failure.empty()) {
            outcome.kind = PrintOutcome::Kind::Failed;
            outcome.message = "The printer \"" + to.printer + "\" did not take the page: " + EndOfSentence(failure);
        } else if (std::string waiting = WaitingMessage(to.printer, id); !waiting.empty()) {
            outcome.kind = PrintOutcome::Kind::Waiting;
            outcome.message = std::move(waiting);
        } else {
            outcome.kind = PrintOutcome::Kind::Printed;
        }
        return outcome;
    }
};

DefaultPrinter::DefaultPrinter(std::string documentsFolder, std::optional<QPageLayout> paper)
    : state_(std::make_unique<State>())
{
    state_->documentsFolder = std::move(documentsFolder);
    state_->paper = std::move(paper);
}

DefaultPrinter::~DefaultPrinter() = default;

int DefaultPrinter::ScaleMode() const { return forms::vbTwips; }

// In points, which the layout keeps to a hundredth; in inches it keeps only a hundredth of an
// inch, and the page would come out up to a third of a point wider than the printable area.
float DefaultPrinter::ScaleWidth() const
{
    return static_cast<float>(state_->Current().layout.paintRect(QPageLayout::Point).width() * kTwipsPerPoint);
}

float DefaultPrinter::ScaleHeight() const
{
    return static_cast<float>(state_->Current().layout.paintRect(QPageLayout::Point).height() * kTwipsPerPoint);
}

float DefaultPrinter::ScaleX(float width, int fromScale, int toScale) const
{
    return forms::ConvertScale(width, fromScale, toScale, state_->Current().resolution);
}

float DefaultPrinter::ScaleY(float height, int fromScale, int toScale) const
{
    return forms::ConvertScale(height, fromScale, toScale, state_->Current().resolution);
}

void DefaultPrinter::PaintPicture(const forms::Picture& picture, float x, float y, float width,
                                  float height)
{
    state_->Current();
    state_->paints.push_back({picture, x, y, width, height});
}

PrintOutcome DefaultPrinter::EndDoc()
{
    // The next document starts on a clean page, also when this one fails with an error.
    struct NextDocument {
        State& state;
        ~NextDocument()
        {
            state.paints.clear();
            state.target.reset();
        }
    } next{*state_};
    PrintOutcome outcome;
    if (state_->paints.empty()) {
        // Nothing is painted when the paper has no room to print on, or the picture no size.
        const QRectF printable = state_->Current().layout.paintRect(QPageLayout::Point);
        outcome.kind = PrintOutcome::Kind::NothingPrinted;
        outcome.message = printable.width() > 0 && printable.height() > 0
                              ? "Nothing was printed: the picture of the window was empty."
                              : "Nothing was printed: the printer reports no printable area on its paper.";
        return outcome;
    }
    const Target target = state_->Current();
    if (target.printer.empty())
        return state_->SaveAsPdf(target.serviceAnswers ? kNoPrinter : kNoService, DocumentTitle());
    return state_->Send(target, DocumentTitle());
}

}  // namespace platform
