#pragma once
// What the real-printing tests need of the print system and the PDF tools: the print scheduler of
// the test run's own and its queues, a queue's paper, waiting for the PDF a job wrote, and turning
// a PDF into pixels.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QStandardPaths>
#include <QRectF>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

#include <optional>
#include <string>

namespace strumwell::testing {

// Standard output of a program, "" when it cannot run.
inline QString RunTool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000)) return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

inline bool SchedulerAnswers()
{
    return RunTool(QStringLiteral("lpstat"), {QStringLiteral("-r")}).contains(QStringLiteral("scheduler is running"));
}

// The folder of the print scheduler of the test run's own (tools/private-cups.sh), when the run's
// print clients are pointed at it; "" otherwise, so that nothing is ever printed on the machine's
// own printers.
inline QString PrivateSchedulerFolder()
{
    const QString folder = qEnvironmentVariable("STRUMWELL_CUPS_DIR");
    if (folder.isEmpty() || qEnvironmentVariable("CUPS_SERVER") != folder + QStringLiteral("/run/cups.sock")) return {};
    return folder;
}

// Why the tests cannot print on the run's own scheduler, or "" when they can.
inline std::string WhyNoPrivateScheduler()
{
    const QString folder = PrivateSchedulerFolder();
    if (folder.isEmpty())
        return "no print scheduler of the test run's own: source tools/private-cups.sh (./test.sh does)";
    if (!SchedulerAnswers())
        return "the print scheduler of the test run at " + folder.toStdString() + " does not answer";
    return {};
}

// Whether the run must have a print scheduler of its own: as root (as in CI), where one can
// always start, or where STRUMWELL_PRINT_SCHEDULER=required says so.
inline bool PrivateSchedulerRequired()
{
    return geteuid() == 0 || qEnvironmentVariable("STRUMWELL_PRINT_SCHEDULER") == QStringLiteral("required");
}

// Skips the test, saying why, when the run has no print scheduler of its own; fails it instead
// where the scheduler is required.
#define STRUMWELL_NEED_PRINT_SCHEDULER()                                                            \
    do {                                                                                           \
        if (const std::string why = ::strumwell::testing::WhyNoPrivateScheduler(); !why.empty()) { \
            if (::strumwell::testing::PrivateSchedulerRequired()) FAIL() << why;                   \
            GTEST_SKIP() << why;                                                                   \
        }                                                                                          \
    } while (false)

// The folder the run's queues write their PDFs to.
inline QString QueueOutput() { return PrivateSchedulerFolder() + QStringLiteral("/out"); }

// Makes a queue of the run's scheduler the default printer for as long as it lives (through
// LPDEST, which CUPS clients ask first); an empty name leaves no default printer at all.
class DefaultQueue {
public:
    explicit DefaultQueue(const QString& queue) : saved_(qgetenv("LPDEST"))
    {
        if (queue.isEmpty())
            qunsetenv("LPDEST");
        else
            qputenv("LPDEST", queue.toLocal8Bit());
    }
    ~DefaultQueue()
    {
        if (saved_.isNull())
            qunsetenv("LPDEST");
        else
            qputenv("LPDEST", saved_);
    }
    DefaultQueue(const DefaultQueue&) = delete;
    DefaultQueue& operator=(const DefaultQueue&) = delete;

private:
    QByteArray saved_;
};

// Printer settings of the user's for as long as it lives: lines of an lpoptions file ("Dest
// A4/letter PageSize=Letter") in the run's scheduler's configuration folder, which its clients
// read as the system's lpoptions, as the user's own are read (root's lpoptions command writes
// there). An instance keeps them apart from the queues the other tests print on.
class PrinterSettings {
public:
    explicit PrinterSettings(const QByteArray& lines)
        : path_(qEnvironmentVariable("CUPS_SERVERROOT") + QStringLiteral("/lpoptions"))
    {
        QFile file(path_);
        written_ = !qEnvironmentVariableIsEmpty("CUPS_SERVERROOT") && file.open(QIODevice::WriteOnly) &&
                   file.write(lines) == lines.size();
    }
    ~PrinterSettings() { QFile::remove(path_); }
    PrinterSettings(const PrinterSettings&) = delete;
    PrinterSettings& operator=(const PrinterSettings&) = delete;
    bool Written() const { return written_; }

private:
    QString path_;
    bool written_ = false;
};

// How many jobs wait in a queue of the run's scheduler; and clearing them.
inline int WaitingJobs(const QString& queue)
{
    const QString listed = RunTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue});
    return static_cast<int>(listed.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
}
inline void CancelJobs(const QString& queue) { RunTool(QStringLiteral("cancel"), {QStringLiteral("-a"), queue}); }

// A paper of a queue (its default page size unless `pageSize` names another) in points, and its
// printable area in points from the paper's top-left corner, from the queue's printer
// description, the paper held upright.
struct QueuePaper {
    QString name;
    QSizeF paper;
    QRectF printable;
};
inline std::optional<QueuePaper> PaperOfQueue(const QString& queue, const QString& pageSize = {})
{
    QFile ppd(PrivateSchedulerFolder() + QStringLiteral("/etc/ppd/%1.ppd").arg(queue));
    if (!ppd.open(QIODevice::ReadOnly)) return std::nullopt;
    const QString text = QString::fromLatin1(ppd.readAll());
    const auto size = QRegularExpression(QStringLiteral("\\*DefaultPageSize:\\s*(\\S+)")).match(text);
    if (!size.hasMatch() && pageSize.isEmpty()) return std::nullopt;
    const QString paperName = pageSize.isEmpty() ? size.captured(1) : pageSize;
    const QString name = QRegularExpression::escape(paperName);
    const auto dim = QRegularExpression(QStringLiteral("\\*PaperDimension %1/[^:]*:\\s*\"([\\d.]+) ([\\d.]+)\"").arg(name)).match(text);
    const auto area = QRegularExpression(
        QStringLiteral("\\*ImageableArea %1/[^:]*:\\s*\"([\\d.]+) ([\\d.]+) ([\\d.]+) ([\\d.]+)\"").arg(name)).match(text);
    if (!dim.hasMatch() || !area.hasMatch()) return std::nullopt;
    QueuePaper paper;
    paper.name = paperName;
    paper.paper = QSizeF(dim.captured(1).toDouble(), dim.captured(2).toDouble());
    // The description counts from the bottom-left corner.
    const double llx = area.captured(1).toDouble(), lly = area.captured(2).toDouble();
    const double urx = area.captured(3).toDouble(), ury = area.captured(4).toDouble();
    paper.printable = QRectF(llx, paper.paper.height() - ury, urx - llx, ury - lly);
    return paper;
}

// The PDF whose name holds `mark`, once the queue has finished writing it; "" after a minute.
inline QString WaitForPdf(const QString& folder, const QString& mark)
{
    QElapsedTimer waited;
    waited.start();
    qint64 lastSize = -1;
    while (waited.elapsed() < 60000) {
        for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
            if (!file.fileName().contains(mark)) continue;
            if (file.size() > 0 && file.size() == lastSize) return file.filePath();
            lastSize = file.size();
        }
        QThread::msleep(100);
    }
    return {};
}

// The first page of a PDF at `dpi`, as the PDF tools render it.
inline QImage RenderPdf(const QString& pdf, int dpi)
{
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("page"));
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                         QStringLiteral("-singlefile"), pdf, stem});
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The images of a PDF: pixel width, how they are coded ("image" for lossless, "jpeg", ...), and
// whether a viewer is asked to smooth them when scaling.
struct PdfImage {
    int width = 0;
    QString encoding;
    bool interpolate = false;
};
inline QList<PdfImage> PdfImages(const QString& pdf)
{
    QList<PdfImage> images;
    const QStringList lines = RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        // page num type width height color comp bpc enc interp ...
        const QStringList cells = line.simplified().split(QLatin1Char(' '));
        if (cells.size() > 9 && cells[2] == QStringLiteral("image"))
            images.push_back({cells[3].toInt(), cells[8], cells[9] == QStringLiteral("yes")});
    }
    return images;
}

// A home of its own for a test, whose desktop settings name "Papers" as the documents folder; the
// environment is put back when it goes.
class DocumentsAtHome {
public:
    DocumentsAtHome()
    {
        if (!home.isValid()) return;
        saved = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME")};
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
        QDir(home.path()).mkpath(QStringLiteral("config"));
        QFile dirs(home.filePath(QStringLiteral("config/user-dirs.dirs")));
        ready = dirs.open(QIODevice::WriteOnly) && dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n") > 0;
        // The test main's test mode would hide the desktop's folder settings.
        QStandardPaths::setTestModeEnabled(false);
    }
    ~DocumentsAtHome()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (saved.first.isNull()) return;
        qputenv("HOME", saved.first);
        if (saved.second.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", saved.second);
    }
    DocumentsAtHome(const DocumentsAtHome&) = delete;
    DocumentsAtHome& operator=(const DocumentsAtHome&) = delete;

    QString Documents() const { return home.filePath(QStringLiteral("Papers")); }

    QTemporaryDir home;
    bool ready = false;

private:
    std::pair<QByteArray, QByteArray> saved;
};

// The smallest rectangle holding every pixel darker than mid grey.
inline QRect InkedArea(const QImage& page)
{
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x)
            if (qGray(row[x]) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace strumwell::testing
