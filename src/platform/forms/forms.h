#pragma once
// The window toolkit the program is written against: controls with design-time properties that
// read back exactly as they were set. Positions and sizes are in twips (15 twips = 1 pixel), colours
// are &H00BBGGRR integers, texts are UTF-8. A control object is a cheap handle; the widget behind it
// belongs to its container and lives as long as the form.
//
// Rules the program relies on:
// - BackColor/ForeColor read back exactly as set. A value with the top bit set is a system colour
//   (&H80000005 = window background) and is drawn as that system colour.
// - A disabled or hidden control ignores mouse clicks; a control covered by a later sibling does not
//   receive the clicks that land on the cover. Every press and release is a click, however quickly
//   it follows the one before (the second press of a double-click included).
// - Setting a check box's Value to a different value runs its click handler at once, nested inside
//   the assignment; setting the value it already holds runs nothing.
// - Controls are stacked in creation order: a control created later lies above its earlier siblings.
// - Captions show whole: each is drawn in its design font mapped to a font the desktop has (see
//   CaptionFont), at the design size, or at the largest size that fits where that one does not.
// - Hiding or disabling the control that has the keyboard focus gives the focus back to the
//   control that had it before, else to the window itself; a text box never gets it with its text
//   selected that way.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/scale_units.h"

class QFont;
class QImage;
class QRect;
class QWidget;
class QAction;
class QMainWindow;
class QMenu;

namespace forms {

using Colour = std::uint32_t;
inline constexpr Colour kSystemWindowColour = 0x80000005;  // the desktop's window background
inline constexpr Colour kSystemButtonColour = 0x8000000F;  // the desktop's button face

int TwipsToPixels(int twips);

struct Font {
    std::string name = "Verdana";
    double points = 8.25;
    bool bold = true;
};

// A shared handle to an immutable image. Showing a symbol shares the handle: two pictures are the
// same symbol exactly when they hold the same image object. A default Picture holds nothing and has
// handle 0 (the empty symbol). Pixels are never compared.
class Picture {
public:
    Picture() = default;
    explicit Picture(const QImage& image);
    // Shares an image whose owner lives until the last copy of the picture goes (a capture that
    // owns its device handles).
    explicit Picture(std::shared_ptr<const QImage> image) : image_(std::move(image)) {}
    std::uintptr_t Handle() const { return reinterpret_cast<std::uintptr_t>(image_.get()); }
    bool IsEmpty() const { return !image_; }
    const QImage* Image() const { return image_.get(); }
    // Size in whole hundredths of a millimetre: the image's size on screen (device-independent
    // pixels, 96 to the inch), whatever its pixel density. 0 for an empty picture.
    int Width() const;
    int Height() const;
    friend bool operator==(const Picture& a, const Picture& b) { return a.image_ == b.image_; }

private:
    std::shared_ptr<const QImage> image_;
};

namespace detail {
class ControlWidget;
}

class Container;

// Properties every control has.
class Control {
public:
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int twips);
    void SetTop(int twips);
    void SetWidth(int twips);
    void SetHeight(int twips);
    void Move(int left, int top, int width, int height);

    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);

    Colour BackColor() const;
    void SetBackColor(Colour colour);
    Colour ForeColor() const;
    void SetForeColor(Colour colour);
    const std::string& ToolTipText() const;
    void SetToolTipText(const std::string& text);
    void SetFont(const Font& font);
    const Font& GetFont() const;

    const std::string& Name() const;
    void OnClick(std::function<void()> handler);
    // Runs the click handler as a user's click would: only when the control is enabled and shown.
    void Click();

    QWidget* Widget() const;
    bool IsNull() const { return w_ == nullptr; }

protected:
    Control() = default;
    detail::ControlWidget* w_ = nullptr;
};

// Anything that can hold controls: the form's client area, a picture box, a frame.
class Container {
public:
    virtual ~Container() = default;
    virtual QWidget* ContainerWidget() const = 0;
};

struct Geometry {
    int left = 0, top = 0, width = 0, height = 0;
};

class Label : public Control {
public:
    Label() = default;
    Label(const Container& parent, const std::string& name, Geometry g, const std::string& caption);
    const std::string& Caption() const;
    void SetCaption(const std::string& caption);
    // The caption stays on one line and is cut off at the label's right edge, rather than
    // breaking between words onto lines the label may be too low to show whole.
    void SetSingleLine(bool singleLine);
};

class PictureBox : public Control, public Container {
public:
    PictureBox() = default;
    PictureBox(const Container& parent, const std::string& name, Geometry g);
    const Picture& GetPicture() const;
    void SetPicture(const Picture& picture);
    void SetBorder(bool border);
    // The box takes the size of every picture it is given (its size on screen, in twips).
    void SetAutoSize(bool autoSize);
    bool AutoSize() const;
    QWidget* ContainerWidget() const override;
};

// A frame: a plain box that groups controls.
class Frame : public Control, public Container {
public:
    Frame() = default;
    Frame(const Container& parent, const std::string& name, Geometry g);
    QWidget* ContainerWidget() const override;
};

class TextBox : public Control {
public:
    TextBox() = default;
    TextBox(const Container& parent, const std::string& name, Geometry g, const std::string& text);
    std::string Text() const;
    // Text set by code shows from its start: a text wider than the box is cut off at the right.
    void SetText(const std::string& text);
    // Runs for every character typed, before it reaches the box; set keyAscii to 0 to drop it.
    void OnKeyPress(std::function<void(int& keyAscii)> handler);
    // Rewrites text that arrives other than by a key press (paste, drop, input method) before it
    // is inserted.
    void SetInsertFilter(std::function<std::string(const std::string&)> filter);
    // Without a border the text stands on the box's back colour alone. A disabled box takes no
    // input and still shows its text in its own colours.
    void SetBorder(bool border);
};

class CheckBox : public Control {
public:
    enum class Style { Standard, Graphical };
    CheckBox() = default;
    CheckBox(const Container& parent, const std::string& name, Geometry g, const std::string& caption,
             Style style = Style::Standard);
    int Value() const;
    void SetValue(int value);
    const std::string& Caption() const;
    void SetCaption(const std::string& caption);
};

// A caption wider than the button breaks between words onto centred lines.
class CommandButton : public Control {
public:
    CommandButton() = default;
    CommandButton(const Container& parent, const std::string& name, Geometry g,
                  const std::string& caption);
    const std::string& Caption() const;
    void SetCaption(const std::string& caption);
};

// A run of like controls sharing one name and one handler, indexed from `lower` to `upper`.
template <class T>
class ControlArray {
public:
    void Reserve(int lower, int upper)
    {
        lower_ = lower;
        items_.clear();
        items_.reserve(static_cast<std::size_t>(upper - lower + 1));
    }
    void Add(T item) { items_.push_back(std::move(item)); }
    T& operator[](int index) { return items_.at(static_cast<std::size_t>(index - lower_)); }
    const T& operator[](int index) const { return items_.at(static_cast<std::size_t>(index - lower_)); }
    int LBound() const { return lower_; }
    int UBound() const { return lower_ + static_cast<int>(items_.size()) - 1; }

private:
    int lower_ = 0;
    std::vector<T> items_;
};

class MenuItem {
public:
    MenuItem() = default;
    explicit MenuItem(QAction* action) : action_(action) {}
    std::string Caption() const;
    void OnClick(std::function<void()> handler);
    void Click();
    QAction* Action() const { return action_; }

private:
    QAction* action_ = nullptr;
};

class Menu {
public:
    Menu() = default;
    explicit Menu(QMenu* menu) : menu_(menu) {}
    std::string Caption() const;
    MenuItem AddItem(const std::string& name, const std::string& caption);
    std::vector<MenuItem> Items() const;
    QMenu* QtMenu() const { return menu_; }

private:
    QMenu* menu_ = nullptr;
};

// The window: a fixed client area of the given size in twips, a menu bar above it.
class Form : public Container {
public:
    Form(const std::string& caption, int clientWidth, int clientHeight);
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    QWidget* ContainerWidget() const override;
    QMainWindow* Window() const { return window_; }
    std::string Caption() const;
    int ClientWidth() const { return width_; }
    int ClientHeight() const { return height_; }
    // The handle the platform layers know the window by (its top-level widget).
    std::uintptr_t hWnd() const { return reinterpret_cast<std::uintptr_t>(window_); }
    // The client area in the window's own scale unit, twips (ScaleMode 1), and conversions
    // between scale units, screen pixels being 15 twips.
    int ScaleMode() const;
    float ScaleWidth() const { return static_cast<float>(width_); }
    float ScaleHeight() const { return static_cast<float>(height_); }
    float ScaleX(float width, int fromScale, int toScale) const;
    float ScaleY(float height, int fromScale, int toScale) const;
    void SetBackColor(Colour colour);
    void SetIcon(const Picture& icon);
    void SetFont(const Font& font);
    Menu AddMenu(const std::string& name, const std::string& caption);
    std::vector<Menu> Menus() const;
    // Shows the window modeless and brings it to the front, also when it is shown already.
    void Show();
    // The user's close unloads the window: Loaded() turns false for good, and whoever holds the
    // form makes a new one when the window is needed again. Such a window does not keep the
    // program running once the main window has closed.
    void UnloadOnClose();
    bool Loaded() const { return loaded_; }
    // Runs before the window closes, however the close was asked for (its close button, a key,
    // the desktop's session ending); setting Cancel to non-zero keeps the window open.
    void OnQueryUnload(std::function<void(int& Cancel)> handler);
    // Runs `action` from the event loop once the window has been shown (soon, if it already is).
    void AfterShown(std::function<void()> action);
    // Paints the window as it stands and hands the picture to the screen at once, without handling
    // any event: no input, timer tick or other handler runs.
    void RepaintNow();

private:
    QMainWindow* window_ = nullptr;  // owned here unless Qt already deleted it
    QWidget* client_ = nullptr;
    std::vector<std::function<void()>> afterShown_;
    int width_ = 0;
    int height_ = 0;
    bool loaded_ = true;
};

// The busy cursor over every window of the program while it lives.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The desktop font a design font is drawn in: the design's own family where the desktop has it,
// else Liberation Sans for Arial and MS Sans Serif (Arial's metrics) and DejaVu Sans for Verdana
// (as wide as Verdana). Sizes are fixed in pixels (points at 96 dpi), so the layout does not move
// with the screen's dpi.
QFont DesignFont(const Font& font);

// How a control with a caption draws it: the font (the design font, made smaller where the
// caption would not fit at its design size), the box the text must stay inside and the Qt
// alignment flags. Empty caption for controls that draw none.
struct CaptionLayout {
    std::string caption;
    std::shared_ptr<const QFont> font;
    int left = 0, top = 0, width = 0, height = 0;  // in pixels, in the widget
    int flags = 0;
};
CaptionLayout CaptionOf(const QWidget* widget);

// Lets the user interface handle what is waiting (input, paints, timers) and returns.
void DoEvents();

// Background colour as drawn: a system colour resolves to the desktop's palette.
std::uint32_t ResolveColour(Colour colour);

}  // namespace forms
