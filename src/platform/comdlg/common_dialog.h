#pragma once
// The file dialogs the program asks for a song file name, and its message box.
//
// CommonDialog: the program sets Filter ("Description|pattern", pairs joined by "|"), calls
// ShowOpen or ShowSave, which return when the modal dialog closes, and then reads FileName: the
// chosen path, or "" when the user cancelled. Each dialog object keeps its FileName between uses.
//
// MessageBox: a modal notice with one OK button.
//
// SaveQuestion: a modal question whether to save work that would otherwise be lost.

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace platform {

class CommonDialog {
public:
    virtual ~CommonDialog() = default;
    virtual void ShowOpen() = 0;
    virtual void ShowSave() = 0;

    std::string Filter;
    std::string FileName;
};

// Where the file dialogs start: the folder of the song last opened or saved, shared by the open
// and the save dialog; before any, the user's documents folder (the home folder where there is
// none).
class SongFolder {
public:
    std::string StartFolder() const;
    // A song was opened or saved at `path`.
    void Remember(const std::string& path);

private:
    std::string folder_;
};

// Over the desktop's file dialog. The save side adds the filter's extension to a name typed
// without one and asks before it replaces a file.
class FileDialog final : public CommonDialog {
public:
    explicit FileDialog(SongFolder& folder) : folder_(folder) {}
    void ShowOpen() override;
    void ShowSave() override;

private:
    SongFolder& folder_;
};

// Test double: each Show takes the next scripted answer ("" = cancelled) and remembers the
// filter it was shown with.
class ScriptedDialog final : public CommonDialog {
public:
    void ShowOpen() override { Answer("open"); }
    void ShowSave() override { Answer("save"); }
    std::deque<std::string> answers;
    struct Shown {
        std::string kind, filter;
    };
    std::vector<Shown> shown;

private:
    void Answer(const char* kind)
    {
        shown.push_back({kind, Filter});
        FileName = answers.empty() ? std::string() : answers.front();
        if (!answers.empty()) answers.pop_front();
    }
};

// The Qt name filters of a "Description|pattern|..." filter: "Strumwell (*.swl)".
std::vector<std::string> NameFilters(const std::string& filter);

class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void Show(const std::string& text) = 0;
};

// A warning box over the active window, titled with the program's name.
class WarningBox final : public MessageBox {
public:
    void Show(const std::string& text) override;
};

// Test double: remembers the texts and shows nothing.
class RecordingMessageBox final : public MessageBox {
public:
    void Show(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// Asked before the window closes over a song that is not saved: Save, Don't Save or Cancel.
enum class SaveAnswer { Save, DontSave, Cancel };

class SaveQuestion {
public:
    virtual ~SaveQuestion() = default;
    // `question` is the box's main line, `detail` the line under it.
    virtual SaveAnswer Ask(const std::string& question, const std::string& detail) = 0;
};

// Over the active window, titled with the program's name: Save is the default button, Escape and
// the box's own close mean Cancel.
class SaveQuestionBox final : public SaveQuestion {
public:
    SaveAnswer Ask(const std::string& question, const std::string& detail) override;
};

// Test double: remembers each question and gives the next scripted answer (Cancel once there is
// none left); `during` runs while the question is open, as if the user did something meanwhile.
class ScriptedSaveQuestion final : public SaveQuestion {
public:
    SaveAnswer Ask(const std::string& question, const std::string& detail) override
    {
        asked.push_back(question + "\n" + detail);
        if (during) during();
        if (answers.empty()) return SaveAnswer::Cancel;
        const SaveAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<SaveAnswer> answers;
    std::vector<std::string> asked;
    std::function<void()> during;
};

}  // namespace platform
