// The window: its client area, its menus, how it is shown, closed and painted at once.

#include "platform/forms/forms.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>

#include "platform/forms/drawing.h"
#include "platform/forms/scale_units.h"

namespace forms {

using detail::ToQColor;
using detail::ToQString;

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
void Form::SetFont(const Font& font) { client_->setFont(DesignFont(font)); }
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

}  // namespace forms
