#include "setup/clockNotice.h"

#include "services/timeService.h"
#include "shell/panelDialogs.h"

#include <QPushButton>
#include <QTimer>

ClockNotice::ClockNotice(QWidget* panel) : QObject(panel), m_panel(panel)
{
    TimeService* time = TimeService::Get();
    connect(time, &TimeService::RtcLostOscillator, this, &ClockNotice::Show);
    // The clock may have answered before this notice existed; shown once the window is up.
    if (time->DidRtcLoseOscillator())
        QTimer::singleShot(0, this, &ClockNotice::Show);
}

void ClockNotice::Show()
{
    if (m_shown)
        return;
    m_shown = true;
    m_box = new PanelMessageBox(QMessageBox::Warning, tr("Clock Stopped"),
                                tr("The clock stopped and lost the date and time. "
                                   "Set the date and time now?"),
                                QMessageBox::NoButton, m_panel);
    QPushButton* set = m_box->addButton(tr("Set Date/Time"), QMessageBox::AcceptRole);
    m_box->addButton(tr("Later"), QMessageBox::RejectRole);
    m_box->setDefaultButton(set);
    m_box->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_box, &QMessageBox::buttonClicked, this, [this, set](QAbstractButton* pressed) {
        if (pressed == set)
            emit setDateTimeSelected();
    });
    // Not exec(): this runs inside the bus's delivery of the clock's answer, and a nested
    // event loop there would deliver the next frames before this one is done.
    m_box->open();
}
