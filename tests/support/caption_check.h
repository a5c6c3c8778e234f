#pragma once
// Checks that every caption a window draws shows whole in its box, in the fonts the program
// installs: each word fits the width, the lines fit the height.

#include "platform/forms/forms.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <set>
#include <string>

namespace strumwell::testing {

// Checks every widget of `window` that draws a caption; returns the names of those seen.
inline std::set<std::string> CheckCaptionsFit(const QWidget* window)
{
    std::set<std::string> seen;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        const forms::CaptionLayout layout = forms::CaptionOf(widget);
        if (layout.caption.empty()) continue;
        const std::string name = widget->objectName().toStdString();
        seen.insert(name);
        SCOPED_TRACE(name + " \"" + layout.caption + "\"");
        const QFont& font = *layout.font;
        // The font is there, not a stand-in the desktop picked.
        EXPECT_EQ(QFontInfo(font).family(), font.family());
        const QRect box(layout.left, layout.top, layout.width, layout.height);
        EXPECT_TRUE(widget->rect().contains(box));
        const QString caption = QString::fromStdString(layout.caption);
        const QFontMetrics metrics(font);
        // Lines break between words only: each word fits the width by itself.
        for (const QString& word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            EXPECT_LE(metrics.horizontalAdvance(word), box.width()) << word.toStdString();
        if (!(layout.flags & Qt::TextWordWrap)) {
            EXPECT_LE(metrics.horizontalAdvance(caption), box.width());
        }
        const QRect text = metrics.boundingRect(box, layout.flags, caption);
        EXPECT_LE(text.height(), box.height());
        EXPECT_TRUE(box.contains(text)) << "text " << text.width() << "x" << text.height() << " in "
                                        << box.width() << "x" << box.height();
    }
    return seen;
}

}  // namespace strumwell::testing
