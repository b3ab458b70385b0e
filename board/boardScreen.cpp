#include "board/boardScreen.h"

#include "board/board.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTabletEvent>
#include <QWidget>

namespace {

class TabletAsMouse : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* target, QEvent* event) override
    {
        QEvent::Type type = QEvent::None;
        switch (event->type()) {
        case QEvent::TabletPress:
            type = QEvent::MouseButtonPress;
            break;
        case QEvent::TabletMove:
            type = QEvent::MouseMove;
            break;
        case QEvent::TabletRelease:
            type = QEvent::MouseButtonRelease;
            break;
        default:
            return false;
        }
        // The window's copy only: the window hands the mouse event on to its widgets.
        if (!target->isWindowType())
            return false;
        auto* tablet = static_cast<QTabletEvent*>(event);
        QMouseEvent mouse(type, tablet->posF(), tablet->posF(), tablet->globalPosF(),
                          tablet->button(), tablet->buttons(), tablet->modifiers(),
                          Qt::MouseEventSynthesizedByApplication);
        mouse.setTimestamp(tablet->timestamp());
        QCoreApplication::sendEvent(target, &mouse);
        // Taken: a platform that makes mouse events of untaken tablet events makes none.
        tablet->accept();
        return true;
    }
};

} // namespace

namespace BoardScreen {

void HideCursor(QApplication& app)
{
    app.setOverrideCursor(QCursor(Qt::BlankCursor));
}

void TakeTabletAsMouse(QApplication& app)
{
    app.installEventFilter(new TabletAsMouse(&app));
}

void ShowMainWindow(QWidget& window)
{
    if (Board::Get().IsSandbox()) {
        window.setFixedSize(240, 320);
        window.show();
    } else {
        window.showFullScreen();
    }
}

void PlaceMaximizedDialog(QWidget& dialog)
{
    if (!Board::Get().IsSandbox()) {
        dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
        return;
    }
    const QRect panel = PanelGeometry();
    dialog.setFixedSize(panel.size());
    dialog.move(panel.topLeft());
}

namespace {
// The program's own window: the active one, else the largest visible top-level widget.
QWidget* programWindow()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    QWidget* found = nullptr;
    int foundArea = 0;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget* widget : topLevels) {
        const int area = widget->width() * widget->height();
        if (widget->isVisible() && widget->isWindow() && area > foundArea) {
            found = widget;
            foundArea = area;
        }
    }
    return found;
}
} // namespace

QRect PanelGeometry()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 240, 320);
    if (!Board::Get().IsSandbox())
        return screenRect;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (const QWidget* widget : topLevels)
        if (widget->isVisible() && widget->inherits("QMainWindow"))
            return widget->geometry();
    QRect panel(0, 0, 240, 320);
    panel.moveCenter(screenRect.center());
    return panel;
}

QPixmap GrabScreen()
{
    // A desktop screen holds more than the program's window, and some platforms (offscreen)
    // give nothing for screen 0: there the window's own content stands for the screen.
    if (!Board::Get().IsSandbox()) {
        QScreen* screen = QGuiApplication::primaryScreen();
        const QPixmap grab = screen ? screen->grabWindow(0) : QPixmap();
        if (!grab.isNull())
            return grab;
    }
    QWidget* window = programWindow();
    return window ? window->grab() : QPixmap();
}

} // namespace BoardScreen
