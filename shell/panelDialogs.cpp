#include "shell/panelDialogs.h"

#include "board/board.h"
#include "board/boardScreen.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QTimer>

void PanelDialogs::Install(QApplication& app)
{
    app.installEventFilter(new PanelDialogs(&app));
}

bool PanelDialogs::eventFilter(QObject* watched, QEvent* event)
{
    const bool placed = event->type() == QEvent::Show || event->type() == QEvent::WindowStateChange;
    if (placed && watched->isWidgetType()) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        // Message boxes size themselves; ours fit the panel on their own.
        if (dialog && dialog->isWindow() && !qobject_cast<QMessageBox*>(dialog)) {
            // After the show or the state change has taken effect.
            QPointer<QDialog> guard(dialog);
            QTimer::singleShot(0, dialog, [guard] {
                if (guard)
                    Fit(*guard);
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

void PanelDialogs::Fit(QDialog& dialog)
{
    const QRect panel = BoardScreen::PanelGeometry();
    if (dialog.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        if (Board::Get().IsSandbox())
            dialog.setWindowState(dialog.windowState() &
                                  ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        dialog.setMinimumSize(0, 0);
        dialog.setMaximumSize(panel.size());
        dialog.setGeometry(panel);
        return;
    }
    if (panel.contains(dialog.geometry()))
        return;
    dialog.setMaximumSize(panel.size());
    QRect placed(QPoint(), dialog.size().boundedTo(panel.size()));
    placed.moveCenter(panel.center());
    dialog.setGeometry(placed);
}

bool PanelMessageBox::event(QEvent* event)
{
    // The base class fixes its size on every layout request and when shown: fit after it.
    const bool handled = QMessageBox::event(event);
    switch (event->type()) {
    case QEvent::LayoutRequest:
    case QEvent::Show:
    case QEvent::WindowStateChange:
        if (isVisible())
            fitToPanel();
        break;
    default:
        break;
    }
    return handled;
}

void PanelMessageBox::fitToPanel()
{
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        return; // the state change comes back here
    }
    for (const char* name : {"qt_msgbox_label", "qt_msgbox_informativelabel"})
        if (auto* label = findChild<QLabel*>(QLatin1String(name)))
            label->setWordWrap(true);

    const QRect panel = BoardScreen::PanelGeometry();
    const int width = panel.width() - 2 * kMargin;
    QLayout* box = layout();
    box->activate();
    const int height = box->hasHeightForWidth() ? box->totalHeightForWidth(width)
                                                : box->totalMinimumSize().height();
    QRect placed(0, 0, width, qMin(height, panel.height() - 2 * kMargin));
    placed.moveCenter(panel.center());
    setFixedSize(placed.size());
    move(placed.topLeft());
    // Our own resize must not bring the base class's sizing back.
    QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
}

PanelMessageBox* PanelMessageBox::OpenNotice(const QString& title, const QString& text,
                                             QWidget* parent)
{
    auto* box = new PanelMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}
