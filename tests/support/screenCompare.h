#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

namespace QuarnTest {

// What the screen shows of a view after its pending repaints, against a whole paint of it:
// a partial repaint that left something out shows as a difference.
inline bool ScreenMatchesWholePaint(QWidget* view)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    const QImage shown = view->screen()->grabWindow(view->winId()).toImage();
    const QImage whole = view->grab().toImage();
    return shown.convertToFormat(QImage::Format_RGB32) ==
           whole.convertToFormat(QImage::Format_RGB32);
}

} // namespace QuarnTest
