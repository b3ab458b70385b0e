#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// The desktop build's end of a software update. On the board the final resets cut the
// unit's power and the program starts again with the unit. On a desktop the simulated
// head shows its power cut as the line hanging up: the program then ends with
// kRestartStatus, on which scripts/demo starts it again. A head that has not restarted
// after kRestartLimitMs is said to, and the program may be quit.
class HeadRestartWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRestartStatus = 3;
    static constexpr int kRestartLimitMs = 10000;

    explicit HeadRestartWatch(QObject* parent = nullptr);
    ~HeadRestartWatch() override;

    // The update dialog runs watch() after its final resets while this object lives.
    void install();
    // Watches the line from now on; dialog is where a head that does not restart is told.
    // Once is enough: a second OK sends the resets again, the watch goes on.
    void watch(QWidget* dialog);
    void setRestartLimit(int ms) { m_limit.setInterval(ms); }

signals:
    // The program should end with this status.
    void programEnd(int status);

private:
    void onLineError(int error);
    void onOverdue();

    QTimer m_limit;
    QPointer<QWidget> m_dialog;
    QMetaObject::Connection m_lineWatch;
    bool m_installed = false;
};
