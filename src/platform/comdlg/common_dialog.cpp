#include "platform/comdlg/common_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QStringList>

namespace platform {
namespace {

QStringList QtFilters(const std::string& filter)
{
    QStringList out;
    for (const std::string& f : NameFilters(filter)) out << QString::fromStdString(f);
    return out;
}

// The extension of the first pattern, "swl" for "*.swl".
QString DefaultSuffix(const std::string& filter)
{
    const auto bar = filter.find('|');
    if (bar == std::string::npos) return {};
    const std::string pattern = filter.substr(bar + 1, filter.find_first_of(";|", bar + 1) - bar - 1);
    const auto dot = pattern.rfind('.');
    if (dot == std::string::npos || pattern.find('*', dot) != std::string::npos) return {};
    return QString::fromStdString(pattern.substr(dot + 1));
}

// The window a box belongs to: the active one, else (straight after start-up, before the window
// manager has activated anything) the first window on screen, so the box stands over it.
QWidget* OwnerWindow()
{
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->isWindow() && !window->windowFlags().testFlag(Qt::Popup))
            return window;
    return nullptr;
}

std::string Run(QFileDialog::AcceptMode mode, const std::string& filter, SongFolder& folder)
{
    QFileDialog dialog(OwnerWindow(), mode == QFileDialog::AcceptOpen
                                                         ? QStringLiteral("Open")
                                                         : QStringLiteral("Save"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(QtFilters(filter));
    dialog.setDirectory(QString::fromStdString(folder.StartFolder()));
    if (mode == QFileDialog::AcceptSave) dialog.setDefaultSuffix(DefaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const std::string chosen = dialog.selectedFiles().constFirst().toStdString();
    folder.Remember(chosen);
    return chosen;
}

}  // namespace

std::vector<std::string> NameFilters(const std::string& filter)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= filter.size()) {
        const auto bar = filter.find('|', start);
        parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::vector<std::string> out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns = parts[i + 1];
        for (char& c : patterns)
            if (c == ';') c = ' ';
        const std::string shown = "(" + patterns + ")";
        const std::string& description = parts[i];
        out.push_back(description.find(shown) != std::string::npos ? description
                                                                      : description + " " + shown);
    }
    return out;
}

std::string SongFolder::StartFolder() const
{
    if (!folder_.empty() && QFileInfo(QString::fromStdString(folder_)).isDir()) return folder_;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents.toStdString();
    return QDir::homePath().toStdString();
}

void SongFolder::Remember(const std::string& path)
{
    folder_ = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
}

void FileDialog::ShowOpen() { FileName = Run(QFileDialog::AcceptOpen, Filter, folder_); }
void FileDialog::ShowSave() { FileName = Run(QFileDialog::AcceptSave, Filter, folder_); }

namespace {
// The user answers a box with the ordinary pointer, also in the middle of a busy read.
class OrdinaryPointer {
public:
    OrdinaryPointer() : busy_(QGuiApplication::overrideCursor() != nullptr)
    {
        if (busy_) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~OrdinaryPointer()
    {
        if (busy_) QGuiApplication::restoreOverrideCursor();
    }
    OrdinaryPointer(const OrdinaryPointer&) = delete;
    OrdinaryPointer& operator=(const OrdinaryPointer&) = delete;

private:
    bool busy_;
};
}  // namespace

void WarningBox::Show(const std::string& text)
{
    const OrdinaryPointer pointer;
    QMessageBox::warning(OwnerWindow(), QApplication::applicationName(), QString::fromStdString(text));
}

SaveAnswer SaveQuestionBox::Ask(const std::string& question, const std::string& detail)
{
    const OrdinaryPointer pointer;
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), QString::fromStdString(question),
                    QMessageBox::NoButton, OwnerWindow());
    box.setInformativeText(QString::fromStdString(detail));
    QPushButton* save = box.addButton(QStringLiteral("Save"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("Don't Save"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) return SaveAnswer::Save;
    if (box.clickedButton() == discard) return SaveAnswer::DontSave;
    return SaveAnswer::Cancel;
}

}  // namespace platform
