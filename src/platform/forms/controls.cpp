// The control handles: each reads and writes the design properties its widget keeps.

#include "platform/forms/forms.h"

#include <QImage>

#include <cmath>

#include "platform/forms/control_widget.h"
#include "platform/forms/drawing.h"
#include "platform/forms/focus.h"

namespace forms {

using detail::ControlWidget;
using detail::GiveUpFocus;
using detail::Kind;
using detail::ShownText;
using detail::ToQString;

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
    if (w_->edit_) w_->edit_->setFont(DesignFont(font));
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
    w_->filters_.keyPress = std::move(handler);
}
void TextBox::SetInsertFilter(std::function<std::string(const std::string&)> filter)
{
    w_->filters_.insert = std::move(filter);
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

}  // namespace forms
