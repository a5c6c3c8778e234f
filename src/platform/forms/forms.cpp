#include "platform/forms/forms.h"
#include "platform/forms/scale_units.h"

#include "platform/clock/due_time.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyleOptionButton>
#include <QPointer>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace forms {

int TwipsToPixels(int twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

Picture::Picture(const QImage& image) : image_(std::make_shared<const QImage>(image)) {}

namespace {
int Himetric(double devicePixels) { return static_cast<int>(std::lround(devicePixels * 2540.0 / 96.0)); }
}  // namespace
int Picture::Width() const { return image_ ? Himetric(image_->deviceIndependentSize().width()) : 0; }
int Picture::Height() const { return image_ ? Himetric(image_->deviceIndependentSize().height()) : 0; }

std::uint32_t ResolveColour(Colour colour)
{
    if (colour & 0x80000000u) {
        // System colours: only the window background (5) and button face (15) occur in the design.
        const QPalette palette = QApplication::palette();
        const QColor c = (colour & 0xFFu) == 15 ? palette.color(QPalette::Button)
                                                : palette.color(QPalette::Base);
        return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
               (static_cast<std::uint32_t>(c.blue()) << 16);
    }
    return colour & 0xFFFFFFu;
}

QFont DesignFont(const Font& font)
{
    static const bool hasVerdana = QFontDatabase::hasFamily(QStringLiteral("Verdana"));
    static const bool hasArial = QFontDatabase::hasFamily(QStringLiteral("Arial"));
    QString family;
    if (font.name == "Verdana")
        family = hasVerdana ? QStringLiteral("Verdana") : QStringLiteral("DejaVu Sans");
    else  // Arial, and MS Sans Serif, which has Arial's widths
        family = hasArial ? QStringLiteral("Arial") : QStringLiteral("Liberation Sans");
    QFont f(family);
    f.setPixelSize(static_cast<int>(std::lround(font.points * 96.0 / 72.0)));
    f.setBold(font.bold);
    f.setStyleStrategy(QFont::PreferDefault);
    return f;
}

namespace {

QColor ToQColor(Colour colour)
{
    const std::uint32_t bgr = ResolveColour(colour);
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

// A picture in the screen's own pixel format, made once per image: the symbols come in formats
// (one bit, indexed, 24-bit) that the painter would otherwise convert at every paint.
QPixmap ScreenPixmap(const QImage& image)
{
    const QString key = QStringLiteral("forms-picture-%1").arg(image.cacheKey());
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap::fromImage(image);
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

// A caption or tooltip as shown: a text of any length may be stored (a song file can bring one
// megabytes long), but laying out more than a screenful would freeze the window for nothing.
QString ShownText(const std::string& text)
{
    constexpr std::size_t kShown = 500;  // UTF-16 units; a UTF-8 character takes at most 4 bytes
    if (text.size() <= kShown) return ToQString(text);
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min(text.size(), 4 * kShown)));
    if (static_cast<std::size_t>(shown.size()) <= kShown && text.size() <= 4 * kShown) return shown;
    qsizetype cut = std::min(shown.size(), static_cast<qsizetype>(kShown));
    if (shown.at(cut - 1).isHighSurrogate()) --cut;
    shown.truncate(cut);
    return shown + QChar(0x2026);
}

QFont ToQFont(const Font& font) { return DesignFont(font); }

// Captions never shrink below this: a smaller text could not be read anyway.
constexpr int kSmallestCaptionPixels = 6;

bool CaptionFits(const QFont& font, const QRect& box, int flags, const QString& caption)
{
    return box.contains(QFontMetrics(font).boundingRect(box, flags, caption));
}

// The widget that had the keyboard focus before the one that has it now, in any window.
QPointer<QWidget>& PreviousFocus()
{
    static QPointer<QWidget> previous;
    return previous;
}

void TrackFocus()
{
    static bool tracking = false;
    if (tracking || !qApp) return;
    tracking = true;
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget* old, QWidget* now) {
        if (old && now && old->window() == now->window()) PreviousFocus() = old;
    });
}

// Qt would hand the focus of a widget that goes away to the next one in the tab chain as if the
// user had pressed Tab, which selects the whole text of a text box. It goes back to where it came
// from instead, or to the window.
void GiveUpFocus(QWidget* leaving)
{
    QWidget* focus = leaving->window()->focusWidget();
    if (!focus || (focus != leaving && !leaving->isAncestorOf(focus))) return;
    QWidget* back = PreviousFocus();
    if (back && back != leaving && !leaving->isAncestorOf(back) && back->window() == leaving->window() &&
        back->isVisible() && back->isEnabled() && back->focusPolicy() != Qt::NoFocus)
        back->setFocus(Qt::OtherFocusReason);
    else
        leaving->window()->setFocus(Qt::OtherFocusReason);
}

}  // namespace

namespace detail {

enum class Kind { Label, PictureBox, Frame, TextBox, CheckBox, CommandButton };

class LineEdit;

// The one widget class behind every control: it keeps the design properties and draws them.
class ControlWidget : public QWidget {
public:
    ControlWidget(QWidget* parent, Kind kind, const std::string& name, Geometry g)
        : QWidget(parent), kind_(kind), name_(name), geometry_(g)
    {
        setAttribute(Qt::WA_OpaquePaintEvent, kind != Kind::Label);
        setObjectName(ToQString(name));
        font_.name = "Verdana";
        QWidget::setFont(ToQFont(font_));
        ApplyGeometry();
        TrackFocus();
    }

    void ApplyGeometry();

    void SetOwnFont(const Font& font)
    {
        font_ = font;
        QWidget::setFont(ToQFont(font));
        CaptionChanged();
    }

    // A new caption, font or size: the caption's font is worked out again when next needed.
    void CaptionChanged()
    {
        captionFont_.reset();
        update();
    }

    // A control of no size (the hidden state labels and check boxes) draws nothing.
    bool DrawsCaption() const
    {
        return (kind_ == Kind::Label || kind_ == Kind::CheckBox || kind_ == Kind::CommandButton) &&
               !CaptionBox().isEmpty();
    }

    // Where the caption must stay: the whole label, a button inside its raised border, a check
    // box right of its box.
    QRect CaptionBox() const
    {
        if (kind_ == Kind::CommandButton || checkStyle_ == CheckBox::Style::Graphical)
            return rect().adjusted(2, 2, -2, -2);
        if (kind_ == Kind::CheckBox) return rect().adjusted(kCheckBoxSize + 5, 0, 0, 0);
        return rect();
    }

    int CaptionFlags() const
    {
        if (kind_ == Kind::CommandButton || checkStyle_ == CheckBox::Style::Graphical)
            return Qt::AlignCenter | Qt::TextWordWrap;
        if (kind_ == Kind::CheckBox) return Qt::AlignLeft | Qt::AlignVCenter;
        return Qt::AlignLeft | Qt::AlignTop | (singleLine_ ? Qt::TextSingleLine : Qt::TextWordWrap);
    }

    // The design font, or the largest smaller size of it in which the caption fits its box. A
    // single-line label keeps its design size: its text (a song's title, say) is cut off instead.
    const QFont& CaptionFont()
    {
        if (captionFont_) return *captionFont_;
        QFont f = ToQFont(font_);
        const QString caption = ShownText(caption_);
        const QRect box = CaptionBox();
        while (DrawsCaption() && !singleLine_ && !caption.isEmpty() &&
               f.pixelSize() > kSmallestCaptionPixels && !CaptionFits(f, box, CaptionFlags(), caption))
            f.setPixelSize(f.pixelSize() - 1);
        captionFont_ = f;
        return *captionFont_;
    }

    static constexpr int kCheckBoxSize = 13;

    void RunClick()
    {
        if (clickHandler_) {
            auto handler = clickHandler_;  // the handler may replace itself
            handler();
        }
    }

    void SetValue(int value)
    {
        if (value == value_) return;
        value_ = value;
        update();
        RunClick();
    }

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
    std::optional<QFont> captionFont_;
    // A text box makes its editing widget only when it is first shown: the hidden text boxes
    // (the load buffer, the page stores) then cost no more than a plain widget at start.
    LineEdit* edit_ = nullptr;
    bool editFrame_ = true;
    std::string text_;
    std::function<void(int&)> keyPress_;
    std::function<std::string(const std::string&)> insertFilter_;
    void EnsureEdit();
    void ApplyEditColours();
    bool pressed_ = false;

protected:
    void showEvent(QShowEvent* e) override
    {
        if (kind_ == Kind::TextBox) EnsureEdit();
        QWidget::showEvent(e);
    }

    void paintEvent(QPaintEvent*) override
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

    void mousePressEvent(QMouseEvent* e) override
    {
        // A press that Qt hands up from a disabled child is that child's, and is ignored.
        QWidget* child = childAt(e->position().toPoint());
        if (e->button() == Qt::LeftButton && (!child || child == this)) {
            pressed_ = true;
            update();
        }
        e->accept();
    }

    // Qt hands the second press of a quick pair over as a double-click; it is a press like any
    // other, so that each press makes its click.
    void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }

    void keyPressEvent(QKeyEvent* e) override
    {
        const bool button = kind_ == Kind::CommandButton ||
                            (kind_ == Kind::CheckBox && checkStyle_ == CheckBox::Style::Graphical);
        if (button && !e->isAutoRepeat() &&
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

    void focusInEvent(QFocusEvent* e) override
    {
        update();
        QWidget::focusInEvent(e);
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        update();
        QWidget::focusOutEvent(e);
    }

    void mouseReleaseEvent(QMouseEvent* e) override
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

    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::ToolTip) {
            if (toolTip_.empty()) {
                QToolTip::hideText();
                e->ignore();
                return true;
            }
        }
        return QWidget::event(e);
    }

private:
    void PaintButton(QPainter& p, bool down)
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

    void PaintCheck(QPainter& p)
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
};

// The editing widget inside a text box: key presses pass the box's KeyPress filter first, and text
// that arrives any other way passes its insert filter. Every way in is covered: typed characters,
// keys that carry text the KeyPress filter does not see (Alt or AltGr held, several characters in
// one key event), Ctrl+V and Shift+Insert, the context menu's Paste, the middle-button paste of
// the selection, drops and input methods. A box holds one line: of text with line breaks only the
// first line comes in, as with a single-line edit box (the texts are saved one a line).
class LineEdit : public QLineEdit {
public:
    explicit LineEdit(QWidget* parent) : QLineEdit(parent) { setFrame(true); }

    std::function<void(int&)> keyPress_;
    std::function<std::string(const std::string&)> insertFilter_;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e == QKeySequence::Paste) {
            PasteFiltered();
            e->accept();
            return;
        }
        const QString text = e->text();
        const bool typed = text.size() == 1 && text.at(0).unicode() >= 32 &&
                           !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (keyPress_ && typed) {
            int key = text.at(0).unicode();
            keyPress_(key);
            if (key == 0) {
                e->accept();
                return;
            }
            if (key != text.at(0).unicode()) {
                insert(QString(QChar(key)));
                e->accept();
                return;
            }
        } else if (!text.isEmpty()) {
            // The line edit inserts such text too (AltGr on some layouts arrives as Ctrl+Alt).
            const QString filtered = Filter(text);
            if (filtered != text) {
                QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->nativeScanCode(),
                               e->nativeVirtualKey(), e->nativeModifiers(), filtered,
                               e->isAutoRepeat(), static_cast<quint16>(e->count()));
                QLineEdit::keyPressEvent(&copy);
                e->setAccepted(copy.isAccepted());
                return;
            }
        }
        QLineEdit::keyPressEvent(e);
    }

    void mouseReleaseEvent(QMouseEvent* e) override
    {
        // The middle-button paste of the selection, where the desktop has one.
        if (e->button() == Qt::MiddleButton && !isReadOnly() &&
            QApplication::clipboard()->supportsSelection()) {
            setCursorPosition(cursorPositionAt(e->position().toPoint()));
            insert(Filter(QApplication::clipboard()->text(QClipboard::Selection)));
            e->accept();
            return;
        }
        QLineEdit::mouseReleaseEvent(e);
    }

    void dropEvent(QDropEvent* e) override
    {
        // The line edit places the drop (and removes the source of a move inside the box); it is
        // only handed the filtered text.
        const QMimeData* mime = e->mimeData();
        if (!mime || !mime->hasText()) return QLineEdit::dropEvent(e);
        const QString filtered = Filter(mime->text());
        if (filtered == mime->text()) return QLineEdit::dropEvent(e);
        QMimeData filteredMime;
        filteredMime.setText(filtered);
        QDropEvent copy(e->position(), e->possibleActions(), &filteredMime, e->buttons(),
                        e->modifiers());
        copy.setDropAction(e->dropAction());
        QLineEdit::dropEvent(&copy);
        if (copy.isAccepted()) {
            e->setDropAction(copy.dropAction());
            e->accept();
        } else {
            e->ignore();
        }
    }

    void inputMethodEvent(QInputMethodEvent* e) override
    {
        if (!e->commitString().isEmpty()) {
            const QString filtered = Filter(e->commitString());
            if (filtered != e->commitString()) {
                QInputMethodEvent copy(e->preeditString(), e->attributes());
                copy.setCommitString(filtered, e->replacementStart(), e->replacementLength());
                QLineEdit::inputMethodEvent(&copy);
                return;
            }
        }
        QLineEdit::inputMethodEvent(e);
    }

    void contextMenuEvent(QContextMenuEvent* e) override
    {
        // The standard menu's Paste calls paste(), which is not virtual: route it here. The action
        // is known by its object name where Qt sets one, else by its caption.
        QMenu* menu = createStandardContextMenu();
        const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
        for (QAction* action : menu->actions()) {
            const QString caption = action->text();
            if (action->objectName() == QStringLiteral("edit-paste") || caption == paste ||
                caption.startsWith(paste + QLatin1Char('\t'))) {
                QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
                QObject::connect(action, &QAction::triggered, this, [this] { PasteFiltered(); });
            }
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(e->globalPos());
    }

public:
    void PasteFiltered()
    {
        if (isReadOnly()) return;
        insert(Filter(QApplication::clipboard()->text()));
    }

private:
    QString Filter(const QString& text) const
    {
        qsizetype end = 0;
        while (end < text.size() && text.at(end) != QLatin1Char('\n') &&
               text.at(end) != QLatin1Char('\r'))
            ++end;
        const QString line = text.left(end);
        if (!insertFilter_) return line;
        return QString::fromStdString(insertFilter_(line.toStdString()));
    }
};

void ControlWidget::EnsureEdit()
{
    if (edit_) return;
    edit_ = new LineEdit(this);
    edit_->setGeometry(0, 0, width(), height());
    edit_->setFont(ToQFont(font_));
    edit_->setFrame(editFrame_);
    ApplyEditColours();
    edit_->keyPress_ = keyPress_;
    edit_->insertFilter_ = insertFilter_;
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

void ControlWidget::ApplyGeometry()
{
    const QSize before = size();
    setGeometry(TwipsToPixels(geometry_.left), TwipsToPixels(geometry_.top),
                TwipsToPixels(geometry_.width), TwipsToPixels(geometry_.height));
    if (edit_) edit_->setGeometry(0, 0, width(), height());
    if (size() != before) captionFont_.reset();
}

}  // namespace detail

using detail::ControlWidget;
using detail::Kind;

// ---- Control ----

int Control::Left() const { return w_->geometry_.left; }
int Control::Top() const { return w_->geometry_.top; }
int Control::Width() const { return w_->geometry_.width; }
int Control::Height() const { return w_->geometry_.height; }
void Control::SetLeft(int twips) { w_->geometry_.left = twips; w_->ApplyGeometry(); }
void Control::SetTop(int twips) { w_->geometry_.top = twips; w_->ApplyGeometry(); }
void Control::SetWidth(int twips) { w_->geometry_.width = twips; w_->ApplyGeometry(); }
void Control::SetHeight(int twips) { w_->geometry_.height = twips; w_->ApplyGeometry(); }
void Control::Move(int left, int top, int width, int height)
{
    w_->geometry_ = {left, top, width, height};
    w_->ApplyGeometry();
}

bool Control::Visible() const { return w_->visible_; }
void Control::SetVisible(bool visible)
{
    if (!visible) GiveUpFocus(w_);
    w_->visible_ = visible;
    w_->setVisible(visible);
}
bool Control::Enabled() const { return w_->enabled_; }
void Control::SetEnabled(bool enabled)
{
    if (w_->enabled_ == enabled) return;
    if (!enabled) GiveUpFocus(w_);
    w_->enabled_ = enabled;
    w_->setEnabled(enabled);
}

Colour Control::BackColor() const { return w_->back_; }
void Control::SetBackColor(Colour colour)
{
    if (w_->back_ == colour) return;
    w_->back_ = colour;
    w_->update();
}
Colour Control::ForeColor() const { return w_->fore_; }
void Control::SetForeColor(Colour colour)
{
    w_->fore_ = colour;
    if (w_->edit_) w_->ApplyEditColours();
    w_->update();
}
const std::string& Control::ToolTipText() const { return w_->toolTip_; }
void Control::SetToolTipText(const std::string& text)
{
    if (w_->toolTip_ == text) return;
    w_->toolTip_ = text;
    w_->setToolTip(ShownText(text));
}
void Control::SetFont(const Font& font)
{
    w_->SetOwnFont(font);
    if (w_->edit_) w_->edit_->setFont(ToQFont(font));
}
const Font& Control::GetFont() const { return w_->font_; }
const std::string& Control::Name() const { return w_->name_; }
void Control::OnClick(std::function<void()> handler) { w_->clickHandler_ = std::move(handler); }
void Control::Click()
{
    if (!w_->isEnabled() || !w_->isVisibleTo(w_->window())) return;
    if (w_->kind_ == Kind::CheckBox)
        w_->SetValue(w_->value_ == 0 ? 1 : 0);
    else
        w_->RunClick();
}
QWidget* Control::Widget() const { return w_; }

namespace {
ControlWidget* Make(const Container& parent, Kind kind, const std::string& name, Geometry g)
{
    auto* w = new ControlWidget(parent.ContainerWidget(), kind, name, g);
    w->show();  // shown within its parent; the form shows everything at once
    return w;
}
}  // namespace

// ---- Label ----

Label::Label(const Container& parent, const std::string& name, Geometry g, const std::string& caption)
{
    w_ = Make(parent, Kind::Label, name, g);
    w_->caption_ = caption;
}
const std::string& Label::Caption() const { return w_->caption_; }
void Label::SetCaption(const std::string& caption)
{
    if (w_->caption_ == caption) return;
    w_->caption_ = caption;
    w_->CaptionChanged();
}
void Label::SetSingleLine(bool singleLine)
{
    w_->singleLine_ = singleLine;
    w_->CaptionChanged();
}

// ---- PictureBox ----

PictureBox::PictureBox(const Container& parent, const std::string& name, Geometry g)
{
    w_ = Make(parent, Kind::PictureBox, name, g);
}
const Picture& PictureBox::GetPicture() const { return w_->picture_; }
void PictureBox::SetPicture(const Picture& picture)
{
    if (w_->picture_ == picture) return;
    w_->picture_ = picture;
    if (w_->autoSize_) {
        if (const QImage* img = picture.Image()) {
            const QSizeF size = img->deviceIndependentSize();
            w_->geometry_.width = static_cast<int>(std::lround(size.width() * kTwipsPerPixel));
            w_->geometry_.height = static_cast<int>(std::lround(size.height() * kTwipsPerPixel));
            w_->ApplyGeometry();
        }
    }
    w_->update();
}
void PictureBox::SetAutoSize(bool autoSize) { w_->autoSize_ = autoSize; }
bool PictureBox::AutoSize() const { return w_->autoSize_; }
void PictureBox::SetBorder(bool border)
{
    w_->border_ = border;
    w_->update();
}
QWidget* PictureBox::ContainerWidget() const { return w_; }

// ---- Frame ----

Frame::Frame(const Container& parent, const std::string& name, Geometry g)
{
    w_ = Make(parent, Kind::Frame, name, g);
}
QWidget* Frame::ContainerWidget() const { return w_; }

// ---- TextBox ----

TextBox::TextBox(const Container& parent, const std::string& name, Geometry g, const std::string& text)
{
    w_ = new ControlWidget(parent.ContainerWidget(), Kind::TextBox, name, g);
    w_->text_ = text;
    w_->show();  // makes its editing widget now if its container is already on screen
}
std::string TextBox::Text() const
{
    return w_->edit_ ? w_->edit_->text().toStdString() : w_->text_;
}
void TextBox::SetText(const std::string& text)
{
    if (w_->edit_) {
        w_->edit_->setText(ToQString(text));
        w_->edit_->setCursorPosition(0);
    } else {
        w_->text_ = text;
    }
}
void TextBox::OnKeyPress(std::function<void(int&)> handler)
{
    w_->keyPress_ = std::move(handler);
    if (w_->edit_) w_->edit_->keyPress_ = w_->keyPress_;
}
void TextBox::SetInsertFilter(std::function<std::string(const std::string&)> filter)
{
    w_->insertFilter_ = std::move(filter);
    if (w_->edit_) w_->edit_->insertFilter_ = w_->insertFilter_;
}
void TextBox::SetBorder(bool border)
{
    w_->editFrame_ = border;
    if (w_->edit_) w_->edit_->setFrame(border);
}

// ---- CheckBox ----

CheckBox::CheckBox(const Container& parent, const std::string& name, Geometry g,
                   const std::string& caption, Style style)
{
    w_ = Make(parent, Kind::CheckBox, name, g);
    w_->caption_ = caption;
    w_->checkStyle_ = style;
    w_->CaptionChanged();
    if (style == Style::Graphical) w_->setFocusPolicy(Qt::StrongFocus);
}
int CheckBox::Value() const { return w_->value_; }
void CheckBox::SetValue(int value) { w_->SetValue(value); }
const std::string& CheckBox::Caption() const { return w_->caption_; }
void CheckBox::SetCaption(const std::string& caption)
{
    w_->caption_ = caption;
    w_->CaptionChanged();
}

// ---- CommandButton ----

CommandButton::CommandButton(const Container& parent, const std::string& name, Geometry g,
                             const std::string& caption)
{
    w_ = Make(parent, Kind::CommandButton, name, g);
    w_->caption_ = caption;
    w_->setFocusPolicy(Qt::StrongFocus);
}
const std::string& CommandButton::Caption() const { return w_->caption_; }
void CommandButton::SetCaption(const std::string& caption)
{
    w_->caption_ = caption;
    w_->CaptionChanged();
}

// ---- Menus ----

std::string MenuItem::Caption() const { return action_->text().toStdString(); }
void MenuItem::OnClick(std::function<void()> handler)
{
    QObject::disconnect(action_, &QAction::triggered, nullptr, nullptr);
    QObject::connect(action_, &QAction::triggered, action_, [h = std::move(handler)] { h(); });
}
void MenuItem::Click() { action_->trigger(); }

std::string Menu::Caption() const { return menu_->title().toStdString(); }
MenuItem Menu::AddItem(const std::string& name, const std::string& caption)
{
    QAction* action = menu_->addAction(ToQString(caption));
    action->setObjectName(ToQString(name));
    return MenuItem(action);
}
std::vector<MenuItem> Menu::Items() const
{
    std::vector<MenuItem> out;
    for (QAction* a : menu_->actions()) out.emplace_back(a);
    return out;
}

// ---- Form ----

namespace {
// The top-level window of a form: tells the form when the user has closed it.
class FormWindow : public QMainWindow {
public:
    std::function<void()> closed;
    std::function<void(int&)> queryUnload;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        int cancel = 0;
        if (queryUnload) queryUnload(cancel);
        if (cancel) {
            e->ignore();
            return;
        }
        QMainWindow::closeEvent(e);
        if (e->isAccepted() && closed) closed();
    }
};
}  // namespace

Form::Form(const std::string& caption, int clientWidth, int clientHeight)
    : width_(clientWidth), height_(clientHeight)
{
    window_ = new FormWindow;
    QObject::connect(window_, &QObject::destroyed, [this] { window_ = nullptr; });
    window_->setWindowTitle(ToQString(caption));
    client_ = new QWidget(window_);
    client_->setObjectName(QStringLiteral("client"));
    client_->setAutoFillBackground(true);
    client_->setFixedSize(TwipsToPixels(clientWidth), TwipsToPixels(clientHeight));
    window_->setCentralWidget(client_);
    window_->menuBar()->setNativeMenuBar(false);
    SetBackColor(0x00FFFFFF);
}

Form::~Form() { delete window_; }

QWidget* Form::ContainerWidget() const { return client_; }
std::string Form::Caption() const { return window_->windowTitle().toStdString(); }
void Form::SetBackColor(Colour colour)
{
    QPalette pal = client_->palette();
    pal.setColor(QPalette::Window, ToQColor(colour));
    client_->setPalette(pal);
}
int Form::ScaleMode() const { return vbTwips; }
float Form::ScaleX(float width, int fromScale, int toScale) const
{
    return ConvertScale(width, fromScale, toScale);
}
float Form::ScaleY(float height, int fromScale, int toScale) const
{
    return ConvertScale(height, fromScale, toScale);
}
void Form::SetIcon(const Picture& icon)
{
    if (const QImage* img = icon.Image()) window_->setWindowIcon(QIcon(QPixmap::fromImage(*img)));
}
void Form::SetFont(const Font& font) { client_->setFont(ToQFont(font)); }
Menu Form::AddMenu(const std::string& name, const std::string& caption)
{
    QMenu* menu = window_->menuBar()->addMenu(ToQString(caption));
    menu->setObjectName(ToQString(name));
    return Menu(menu);
}
std::vector<Menu> Form::Menus() const
{
    std::vector<Menu> out;
    for (QAction* a : window_->menuBar()->actions())
        if (a->menu()) out.emplace_back(a->menu());
    return out;
}
void Form::Show()
{
    const bool shownAlready = window_->isVisible();
    window_->setFixedSize(window_->sizeHint());
    window_->show();
    if (shownAlready) {  // it comes up from behind the others
        window_->raise();
        window_->activateWindow();
    }
    for (std::function<void()>& action : afterShown_)
        QMetaObject::invokeMethod(window_, std::move(action), Qt::QueuedConnection);
    afterShown_.clear();
}
void Form::UnloadOnClose()
{
    window_->setAttribute(Qt::WA_QuitOnClose, false);
    static_cast<FormWindow*>(window_)->closed = [this] { loaded_ = false; };
}

void Form::OnQueryUnload(std::function<void(int& Cancel)> handler)
{
    static_cast<FormWindow*>(window_)->queryUnload = std::move(handler);
}

void Form::AfterShown(std::function<void()> action)
{
    if (window_->isVisible())
        QMetaObject::invokeMethod(window_, std::move(action), Qt::QueuedConnection);
    else
        afterShown_.push_back(std::move(action));
}

void Form::RepaintNow()
{
    // repaint() paints at once and flushes what it painted to the screen; it handles no event, so
    // nothing else can run meanwhile. A repaint leaves out the controls that paint their whole
    // area unless each is marked as changed, and with every control marked, working out which of
    // them covers which costs milliseconds. For this one paint they count as see-through instead:
    // the client area is painted in one sweep, every control in stacking order over it, then the
    // menu bar, and so the whole window is on the screen.
    if (!window_->isVisible()) return;
    std::vector<QWidget*> opaque;
    for (QWidget* child : client_->findChildren<QWidget*>()) {
        if (!child->isVisible() || !child->testAttribute(Qt::WA_OpaquePaintEvent)) continue;
        child->setAttribute(Qt::WA_OpaquePaintEvent, false);
        opaque.push_back(child);
    }
    client_->repaint();
    window_->repaint();
    for (QWidget* child : opaque) child->setAttribute(Qt::WA_OpaquePaintEvent, true);
}

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }

CaptionLayout CaptionOf(const QWidget* widget)
{
    auto* control = dynamic_cast<const ControlWidget*>(widget);
    if (!control || !control->DrawsCaption() || control->caption_.empty()) return {};
    auto* w = const_cast<ControlWidget*>(control);  // works out the font on first use
    const QRect box = w->CaptionBox();
    return {control->caption_, std::make_shared<const QFont>(w->CaptionFont()), box.left(), box.top(),
            box.width(), box.height(), w->CaptionFlags()};
}

void DoEvents()
{
    const platform::DueScope unscheduled(std::nullopt);  // what the pump handles runs when it runs
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace forms
