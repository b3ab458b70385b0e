#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QTimer>

class QSocketNotifier;

// The head's end of a pseudo-terminal. The program opens the other end (the slave) as
// its serial line. Frames are written only while some process holds the slave open, so a
// program that connects late never reads a backlog of stale results.
class PtyDevice : public QIODevice
{
    Q_OBJECT
public:
    explicit PtyDevice(QObject* parent = nullptr);
    ~PtyDevice() override;

    // Creates the pseudo-terminal in raw mode; false (with errorString()) on failure.
    bool openPty();
    QString slaveName() const { return m_slaveName; }
    bool hasListener() const { return m_listener; }
    // Writes dropped because nobody listened or the listener stopped reading.
    int unheardWrites() const { return m_unheardWrites; }

    bool isSequential() const override { return true; }
    void close() override;

signals:
    void listenerChanged(bool present);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    void setListener(bool present);
    bool hungUp() const;
    void checkForListener();
    void flushPending();

    int m_master = -1;
    QString m_slaveName;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer m_listenerPoll;
    QByteArray m_pending;
    bool m_listener = false;
    int m_unheardWrites = 0;
};
