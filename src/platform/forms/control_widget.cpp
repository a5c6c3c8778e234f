#include "platform/forms/control_widget.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QToolTip>

#include <limits>

#include "platform/forms/drawing.h"
#include "platform/forms/focus.h"

namespace forms {

namespace detail {

namespace {

// Captions never shrink below this: a smaller text could not be read anyway.
constexpr int kSmallestCaptionPixels = 6;

bool CaptionFits(const QFont& font, const QRect& box, int flags, const QString& caption)
{
    return box.contains(QFontMetrics(font).boundingRect(box, flags, caption));
}

}  // namespace

ControlWidget::ControlWidget(QWidget* parent, Kind kind, const std::string& name, Geometry g)
    : QWidget(parent), kind_(kind), name_(name), geometry_(g)
{
    setAttribute(Qt::WA_OpaquePaintEvent, kind != Kind::Label);
    setObjectName(ToQString(name));
    font_.name = "Verdana";
    QWidget::setFont(DesignFont(font_));
    ApplyGeometry();
    TrackFocus();
}

void ControlWidget::ApplyGeometry()
{
    const QSize before = size();
    setGeometry(TwipsToPixels(geometry_.left), TwipsToPixels(geometry_.top),
                TwipsToPixels(geometry_.width), TwipsToPixels(geometry_.height));
    if (edit_) edit_->setGeometry(0, 0, width(), height());
    if (size() != before) captionFont_.reset();
}

void ControlWidget::SetOwnFont(const Font& font)
{
    font_ = font;
    QWidget::setFont(DesignFont(font));
    CaptionChanged();
}

void ControlWidget::CaptionChanged()
{
    captionFont_.reset();
    update();
}

// A command button, or a check box drawn as one.
bool ControlWidget::IsButton() const
{
    return kind_ == Kind::CommandButton || (kind_ == Kind::CheckBox && checkStyle_ == CheckBox::Style::Graphical);
}

bool ControlWidget::DrawsCaption() const
{
    return (kind_ == Kind::Label || kind_ == Kind::CheckBox || kind_ == Kind::CommandButton) &&
           !CaptionBox().isEmpty();
}

QRect ControlWidget::CaptionBox() const
{
    if (IsButton()) return rect().adjusted(2, 2, -2, -2);
    if (kind_ == Kind::CheckBox) return rect().adjusted(kCheckBoxSize + 5, 0, 0, 0);
    return rect();
}

int ControlWidget::CaptionFlags() const
{
    if (IsButton()) return Qt::AlignCenter | Qt::TextWordWrap;
    if (kind_ == Kind::CheckBox) return Qt::AlignLeft | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignTop | (singleLine_ ? Qt::TextSingleLine : Qt::TextWordWrap);
}

const QFont& ControlWidget::CaptionFont()
{
    if (captionFont_) return *captionFont_;
    QFont f = DesignFont(font_);
    const QString caption = ShownText(caption_);
    const QRect box = CaptionBox();
    while (DrawsCaption() && !singleLine_ && !caption.isEmpty() && f.pixelSize() > kSmallestCaptionPixels &&
           !CaptionFits(f, box, CaptionFlags(), caption))
        f.setPixelSize(f.pixelSize() - 1);
    captionFont_ = f;
    return *captionFont_;
}

void ControlWidget::RunClick()
{
    if (clickHandler_) {
        auto handler = clickHandler_;  // the handler may replace itself
        handler();
    }
}

void ControlWidget::SetValue(int value)
{
    if (value == value_) return;
    value_ = value;
    update();
    RunClick();
}

void ControlWidget::EnsureEdit()
{
    if (edit_) return;
    edit_ = new FilteringLineEdit(this, filters_);
    edit_->setGeometry(0, 0, width(), height());
    edit_->setFont(DesignFont(font_));
    edit_->setFrame(editFrame_);
    ApplyEditColours();
    // A text box holds any length (a song file may bring a title megabytes long); the line edit's
    // own limit would cut such a text, and Save would then write the cut one.
    edit_->setMaxLength(std::numeric_limits<int>::max());
    edit_->setText(ToQString(text_));
    edit_->setCursorPosition(0);
    edit_->show();
}

// A disabled box keeps its colours: it only stops taking input.
void ControlWidget::ApplyEditColours()
{
    QPalette pal = edit_->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, ToQColor(fore_));
        pal.setColor(group, QPalette::Base, Qt::white);
    }
    edit_->setPalette(pal);
}

void ControlWidget::showEvent(QShowEvent* e)
{
    if (kind_ == Kind::TextBox) EnsureEdit();
    QWidget::showEvent(e);
}

void ControlWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    switch (kind_) {
    case Kind::Label:
        p.fillRect(rect(), ToQColor(back_));
        p.setPen(isEnabled() ? ToQColor(fore_) : QColor(128, 128, 128));
        p.setFont(CaptionFont());
        p.drawText(CaptionBox(), CaptionFlags(), ShownText(caption_));
        break;
    case Kind::PictureBox:
    case Kind::Frame:
        p.fillRect(rect(), ToQColor(back_));
        if (const QImage* img = picture_.Image()) p.drawPixmap(0, 0, ScreenPixmap(*img));
        if (border_) {
            p.setPen(QColor(128, 128, 128));
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        break;
    case Kind::TextBox:
        p.fillRect(rect(), Qt::white);
        break;
    case Kind::CheckBox:
        if (checkStyle_ == CheckBox::Style::Graphical)
            PaintButton(p, value_ != 0 || pressed_);
        else
            PaintCheck(p);
        break;
    case Kind::CommandButton:
        PaintButton(p, pressed_);
        break;
    }
}

void ControlWidget::mousePressEvent(QMouseEvent* e)
{
    // A press that Qt hands up from a disabled child is that child's, and is ignored.
    QWidget* child = childAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && (!child || child == this)) {
        pressed_ = true;
        update();
    }
    e->accept();
}

void ControlWidget::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    const bool wasPressed = pressed_;
    pressed_ = false;
    update();
    if (!wasPressed || !rect().contains(e->position().toPoint())) return;
    if (kind_ == Kind::CheckBox)
        SetValue(value_ == 0 ? 1 : 0);  // a user's click flips the box, which runs its handler
    else
        RunClick();
}

void ControlWidget::keyPressEvent(QKeyEvent* e)
{
    if (IsButton() && !e->isAutoRepeat() &&
        (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        if (kind_ == Kind::CheckBox)
            SetValue(value_ == 0 ? 1 : 0);
        else
            RunClick();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void ControlWidget::focusInEvent(QFocusEvent* e)
{
    update();
    QWidget::focusInEvent(e);
}

void ControlWidget::focusOutEvent(QFocusEvent* e)
{
    update();
    QWidget::focusOutEvent(e);
}

bool ControlWidget::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip && toolTip_.empty()) {
        QToolTip::hideText();
        e->ignore();
        return true;
    }
    return QWidget::event(e);
}

void ControlWidget::PaintButton(QPainter& p, bool down)
{
    const QRect r = rect();
    p.fillRect(r, ToQColor(back_));
    const QColor light(255, 255, 255), shadow(128, 128, 128), dark(0, 0, 0);
    p.setPen(down ? dark : light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(down ? light : dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(down ? light : shadow);
    p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
    p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
    p.setPen(isEnabled() ? ToQColor(fore_) : QColor(128, 128, 128));
    p.setFont(CaptionFont());
    p.drawText(CaptionBox().translated(down ? 1 : 0, down ? 1 : 0), CaptionFlags(), ShownText(caption_));
    if (hasFocus()) {
        p.setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
        p.drawRect(r.adjusted(4, 4, -5, -5));
    }
}

void ControlWidget::PaintCheck(QPainter& p)
{
    p.fillRect(rect(), ToQColor(back_));
    const int box = kCheckBoxSize;
    const QRect b(1, (height() - box) / 2, box, box);
    p.fillRect(b, Qt::white);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(b);
    if (value_ != 0) {
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(b.left() + 3, b.center().y(), b.center().x() - 1, b.bottom() - 3);
        p.drawLine(b.center().x() - 1, b.bottom() - 3, b.right() - 3, b.top() + 3);
    }
    p.setPen(ToQColor(fore_));
    p.setFont(CaptionFont());
    p.drawText(CaptionBox(), CaptionFlags(), ShownText(caption_));
}

}  // namespace detail

CaptionLayout CaptionOf(const QWidget* widget)
{
    auto* control = dynamic_cast<const detail::ControlWidget*>(widget);
    if (!control || !control->DrawsCaption() || control->caption_.empty()) return {};
    auto* w = const_cast<detail::ControlWidget*>(control);  // works out the font on first use
    const QRect box = w->CaptionBox();
    return {control->caption_, std::make_shared<const QFont>(w->CaptionFont()), box.left(), box.top(),
            box.width(), box.height(), w->CaptionFlags()};
}

}  // namespace forms
