#pragma once
// The one widget class behind every control: it keeps the design properties exactly as set,
// draws them, and turns presses and keys into clicks. The control handles of forms.h read and
// write its properties; it is not part of the layer's interface.

#include <QFont>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "platform/forms/filtering_line_edit.h"
#include "platform/forms/forms.h"

namespace forms::detail {

enum class Kind { Label, PictureBox, Frame, TextBox, CheckBox, CommandButton };

class ControlWidget : public QWidget {
public:
    ControlWidget(QWidget* parent, Kind kind, const std::string& name, Geometry g);

    // The design geometry in twips, placed in pixels.
    void ApplyGeometry();
    void SetOwnFont(const Font& font);
    // A new caption, font or size: the caption's font is worked out again when next needed.
    void CaptionChanged();

    // A control of no size (the hidden state labels and check boxes) draws nothing.
    bool DrawsCaption() const;
    // Where the caption must stay: the whole label, a button inside its raised border, a check
    // box right of its box.
    QRect CaptionBox() const;
    int CaptionFlags() const;
    // The design font, or the largest smaller size of it in which the caption fits its box. A
    // single-line label keeps its design size: its text (a song's title, say) is cut off instead.
    const QFont& CaptionFont();

    void RunClick();
    // A new value runs the click handler at once; the value it already holds runs nothing.
    void SetValue(int value);

    // A text box's editing widget: made when the box is first shown.
    void EnsureEdit();
    void ApplyEditColours();

    Kind kind_;
    std::string name_;
    Geometry geometry_;
    bool visible_ = true;
    bool enabled_ = true;
    Colour back_ = 0x00FFFFFF;
    Colour fore_ = 0x00000000;
    std::string toolTip_;
    std::string caption_;
    Font font_;
    Picture picture_;
    bool border_ = false;
    bool singleLine_ = false;
    bool autoSize_ = false;
    int value_ = 0;
    CheckBox::Style checkStyle_ = CheckBox::Style::Standard;
    std::function<void()> clickHandler_;
    // A text box makes its editing widget only when it is first shown: the hidden text boxes
    // (the load buffer, the page stores) then cost no more than a plain widget at start. Until
    // then the box holds its text itself.
    FilteringLineEdit* edit_ = nullptr;
    bool editFrame_ = true;
    std::string text_;
    TextFilters filters_;

protected:
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    // Qt hands the second press of a quick pair over as a double-click; it is a press like any
    // other, so that each press makes its click.
    void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool event(QEvent* e) override;

private:
    static constexpr int kCheckBoxSize = 13;

    bool IsButton() const;
    void PaintButton(QPainter& p, bool down);
    void PaintCheck(QPainter& p);

    std::optional<QFont> captionFont_;
    bool pressed_ = false;
};

}  // namespace forms::detail
