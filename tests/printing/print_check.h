#pragma once
// What the real-printing tests need of the print system and the PDF tools: whether a scheduler
// answers, which queue is the default, the queue's paper, waiting for the PDF a job wrote, and
// turning a PDF into pixels.

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

#include <pwd.h>
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

// The default queue's name, "" when there is none.
inline QString DefaultQueue()
{
    const QString text = RunTool(QStringLiteral("lpstat"), {QStringLiteral("-d")});
    const auto match = QRegularExpression(QStringLiteral("system default destination: (\\S+)")).match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

// The queue of tools/start-cups.sh, which writes every job as a PDF under the user's ~/PDF/.
inline const QString kPdfQueue = QStringLiteral("PDF");

// Why nothing can be printed on the PDF queue here, or "" when it is the default printer.
inline std::string WhyNotOnThePdfQueue()
{
    if (!SchedulerAnswers()) return "no print scheduler answers (tools/start-cups.sh starts one)";
    if (DefaultQueue() != kPdfQueue)
        return "the default printer is not the PDF queue of tools/start-cups.sh; nothing is printed on a "
               "real printer";
    return {};
}

// The folder the PDF queue writes to: ~/PDF of the user, by the user database (not $HOME).
inline QString PdfQueueFolder()
{
    const passwd* pw = getpwuid(getuid());
    return QDir(QString::fromLocal8Bit(pw ? pw->pw_dir : "/root")).filePath(QStringLiteral("PDF"));
}

// The paper of a queue's default page size in points and its printable area in points from the
// paper's top-left corner, from the queue's printer description.
struct QueuePaper {
    QSizeF paper;
    QRectF printable;
};
inline std::optional<QueuePaper> PaperOfQueue(const QString& queue)
{
    QFile ppd(QStringLiteral("/etc/cups/ppd/%1.ppd").arg(queue));
    if (!ppd.open(QIODevice::ReadOnly)) return std::nullopt;
    const QString text = QString::fromLatin1(ppd.readAll());
    const auto size = QRegularExpression(QStringLiteral("\\*DefaultPageSize:\\s*(\\S+)")).match(text);
    if (!size.hasMatch()) return std::nullopt;
    const QString name = QRegularExpression::escape(size.captured(1));
    const auto dim = QRegularExpression(QStringLiteral("\\*PaperDimension %1/[^:]*:\\s*\"([\\d.]+) ([\\d.]+)\"").arg(name)).match(text);
    const auto area = QRegularExpression(
        QStringLiteral("\\*ImageableArea %1/[^:]*:\\s*\"([\\d.]+) ([\\d.]+) ([\\d.]+) ([\\d.]+)\"").arg(name)).match(text);
    if (!dim.hasMatch() || !area.hasMatch()) return std::nullopt;
    QueuePaper paper;
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
