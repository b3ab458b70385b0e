#pragma once

#include "shell/panelDialogs.h"

#include <QObject>
#include <QPointer>

class QWidget;

// Tells the operator, once per run, that the battery board's clock stopped: its time is
// not taken, so the instrument's date and time are not to be trusted until set. The notice
// offers the way to the date and time subscreen.
class ClockNotice : public QObject
{
    Q_OBJECT
public:
    // panel: the window the notice is shown over.
    explicit ClockNotice(QWidget* panel);

    // The notice while it is shown.
    PanelMessageBox* box() const { return m_box; }

signals:
    void setDateTimeSelected();

public slots:
    void Show();

private:
    QWidget* m_panel;
    QPointer<PanelMessageBox> m_box;
    bool m_shown = false;
};
