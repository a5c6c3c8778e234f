// Painting a window at once, as a long task does before it blocks the window.

#include <gtest/gtest.h>

#include <QBackingStore>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QMainWindow>

#include <map>
#include <vector>

#include "platform/forms/forms.h"

namespace forms {
namespace {

class PaintCounter : public QObject {
public:
    void Watch(const Control& control) { control.Widget()->installEventFilter(this); }
    int PaintsOf(const Control& control) const
    {
        const auto found = paints_.find(control.Widget());
        return found == paints_.end() ? 0 : found->second;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints_[watched];
        return false;
    }

private:
    std::map<QObject*, int> paints_;
};

// Every control on show is painted, those inside a container too, in stacking order: where two
// overlap, the window's picture holds the later one. Hidden controls are left alone, and the
// controls go on painting their whole area by themselves afterwards.
TEST(RepaintNow, PaintsEveryShownControlInStackingOrder)
{
    Form form("test", 3000, 3000);
    PictureBox lower(form, "lower", {150, 150, 600, 600});
    lower.SetBackColor(0x000000FF);
    PictureBox upper(form, "upper", {450, 450, 600, 600});
    upper.SetBackColor(0x00FF0000);
    Frame frame(form, "frame", {1500, 150, 1200, 900});
    Label inFrame(frame, "inFrame", {0, 0, 600, 300}, "text");
    PictureBox hidden(form, "hidden", {150, 1500, 300, 300});
    hidden.SetVisible(false);
    TextBox text(form, "text", {150, 2250, 1500, 285}, "words");
    form.Show();
    QCoreApplication::processEvents();

    const std::vector<const Control*> shown{&lower, &upper, &frame, &inFrame, &text};
    PaintCounter counter;
    std::map<const Control*, bool> paintsWhole;
    for (const Control* control : shown) {
        counter.Watch(*control);
        paintsWhole[control] = control->Widget()->testAttribute(Qt::WA_OpaquePaintEvent);
    }
    counter.Watch(hidden);
    upper.SetBackColor(0x00FF0000);  // one control changed since the last paint, the others not
    form.RepaintNow();

    for (const Control* control : shown) {
        SCOPED_TRACE(control->Widget()->objectName().toStdString());
        EXPECT_GE(counter.PaintsOf(*control), 1);
        EXPECT_EQ(control->Widget()->testAttribute(Qt::WA_OpaquePaintEvent), paintsWhole[control]);
    }
    EXPECT_EQ(counter.PaintsOf(hidden), 0);

    const auto* picture = dynamic_cast<const QImage*>(form.Window()->backingStore()->paintDevice());
    ASSERT_NE(picture, nullptr);
    const qreal scale = picture->devicePixelRatio();
    const auto at = [&](const Control& control, QPoint p) {
        return picture->pixelColor(control.Widget()->mapTo(form.Window(), p) * scale);
    };
    EXPECT_EQ(at(upper, {2, 2}), QColor(0, 0, 255));  // over the lower one
    EXPECT_EQ(at(lower, {2, 2}), QColor(255, 0, 0));
}

}  // namespace
}  // namespace forms
