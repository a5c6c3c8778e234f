#pragma once
// The editing widget inside a text box: key presses pass the box's KeyPress filter first, and text
// that arrives any other way passes its insert filter. Every way in is covered: typed characters,
// keys that carry text the KeyPress filter does not see (Alt or AltGr held, several characters in
// one key event), Ctrl+V and Shift+Insert, the context menu's Paste, the middle-button paste of
// the selection, drops and input methods. A box holds one line: of text with line breaks only the
// first line comes in, as with a single-line edit box (the texts are saved one a line).

#include <QLineEdit>

#include <functional>
#include <string>

namespace forms::detail {

// A text box's filters. The box keeps them, so that they may be set before its editing widget
// is made; the editing widget reads them there.
struct TextFilters {
    std::function<void(int& keyAscii)> keyPress;
    std::function<std::string(const std::string&)> insert;
};

class FilteringLineEdit : public QLineEdit {
public:
    // `filters` belong to the text box, which outlives its editing widget.
    FilteringLineEdit(QWidget* parent, const TextFilters& filters);

protected:
    void keyPressEvent(QKeyEvent* e) override;          // typed characters, keys with text, Ctrl+V
    void mouseReleaseEvent(QMouseEvent* e) override;    // the middle-button paste
    void dropEvent(QDropEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;  // its Paste

private:
    void PasteFiltered();
    // The first line of `text`, through the insert filter.
    QString Filter(const QString& text) const;

    const TextFilters& filters_;
};

}  // namespace forms::detail
