#include "shell/headRestartWatch.h"

#include "bus/quarnBus.h"
#include "shell/panelDialogs.h"
#include "update/tscSDCardUpdateDialog.h"

#include <QDebug>
#include <QSerialPort>

HeadRestartWatch::HeadRestartWatch(QObject* parent) : QObject(parent)
{
    m_limit.setSingleShot(true);
    m_limit.setInterval(kRestartLimitMs);
    connect(&m_limit, &QTimer::timeout, this, &HeadRestartWatch::onOverdue);
}

HeadRestartWatch::~HeadRestartWatch()
{
    if (m_installed)
        TscSDCardUpdateDialog::SetRestartWatch({});
}

void HeadRestartWatch::install()
{
    m_installed = true;
    TscSDCardUpdateDialog::SetRestartWatch(
        [this](TscSDCardUpdateDialog& dialog) { watch(&dialog); });
}

void HeadRestartWatch::watch(QWidget* dialog)
{
    if (m_limit.isActive())
        return;
    m_dialog = dialog;
    // Watched on the port itself, not through the bus's lost-line report: a bus made over
    // a given device (the tests') does not report one.
    if (auto* port = qobject_cast<QSerialPort*>(QuarnBus::Get()->device()))
        m_lineWatch = connect(port, &QSerialPort::errorOccurred, this,
                              [this](QSerialPort::SerialPortError error) { onLineError(error); });
    m_limit.start();
}

void HeadRestartWatch::onLineError(int error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    // A hung-up port reports again on every pass of the event loop until it is closed.
    disconnect(m_lineWatch);
    m_limit.stop();
    qInfo().noquote() << QStringLiteral("The head restarted after the update; the program "
                                        "ends with status %1 to be started again.")
                             .arg(kRestartStatus);
    emit programEnd(kRestartStatus);
}

void HeadRestartWatch::onOverdue()
{
    disconnect(m_lineWatch);
    const int seconds = m_limit.interval() / 1000;
    qInfo().noquote()
        << QStringLiteral("The head did not restart within %1 s of the update.").arg(seconds);
    if (!m_dialog)
        return;
    auto* box = new PanelMessageBox(
        QMessageBox::Warning, QStringLiteral("Update"),
        QStringLiteral("The head did not restart within %1 s.\n\nQuit, then start the head and "
                       "the program again.")
            .arg(seconds),
        QMessageBox::NoButton, m_dialog);
    box->setObjectName(QStringLiteral("restartOverdueNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->addButton(QStringLiteral("Quit"), QMessageBox::AcceptRole);
    connect(box, &QMessageBox::finished, this, [this] { emit programEnd(0); });
    box->open();
}
