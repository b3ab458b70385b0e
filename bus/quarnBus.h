#pragma once

#include "bus/quarnBusMsg.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class BusCapture;
class HeadLink;
class QIODevice;
class QSerialPort;
class QTimer;
class QuarnBusMsgReceiver;

// The one object through which the program talks to the head: owns the line and the
// frame receiver, writes requests and broadcasts every accepted frame.
class QuarnBus : public QObject
{
    Q_OBJECT
public:
    static QuarnBus* Get();
    static char GetMyBusId() { return BusId::Tsc; }
    // Makes the instance run over an already open device instead of the board's serial
    // line (tests, tools). Call before the first Get(); the bus takes the device over.
    static QuarnBus* Install(QIODevice* device);

    // How often a serial line that could not be opened is tried again.
    static constexpr int kReopenPeriodMs = 3000;

    QuarnBus(const char* deviceName, QObject* parent);
    QuarnBus(QIODevice* device, QObject* parent);
    ~QuarnBus() override;

    // Fire and forget; returns whether the bytes were handed to the line. Safe from any
    // thread: on the bus object's own thread the frame is written at once, from any other
    // it is handed over to that thread. Frames reach the line in the order of the calls.
    bool sendMsg(const QuarnBusMsg& msg);

    // Bytes handed to sendMsg that have not left for the line yet; any thread may ask, so
    // that a long transfer can keep pace with the line.
    qint64 outputBacklog() const { return m_queuedBytes + m_deviceBacklog; }

    bool isSendGateClosed() const { return m_sendGateClosed; }
    QIODevice* device() const { return m_port.get(); }

    // Records every frame sent, every chunk read and every frame accepted or rejected
    // from now on; a null capture ends recording. An empty path starts nothing.
    void setCapture(std::unique_ptr<BusCapture> capture);
    bool startCapture(const QString& path);
    BusCapture* capture() const { return m_capture.get(); }

    // Why the serial line is not open ("PATH: error"); empty while it is, and for a bus
    // over a given device.
    QString lineUnavailableReason() const { return m_lineUnavailableReason; }
    void setReopenPeriod(int ms);

    // Which of the head's controllers answer; fed by this bus's reads and writes.
    HeadLink* headLink() const { return m_headLink; }
    // Whether the read path counts frames for the head link: on, unless a measurement of
    // the path wants it without.
    void setHeadLinkCounted(bool counted) { m_headLinkCounted = counted; }

signals:
    void newMsg(QuarnBusMsg msg);
    // A retry of the serial line failed for a new reason, or the open line was lost (the
    // device went away); the line is tried again every reopen period until it opens. A
    // failure at construction is not signalled (nobody could listen yet):
    // lineUnavailableReason() tells it.
    void LineUnavailable(QString reason);
    // A line that was unavailable has opened and is listened to.
    void LineOpened();

public slots:
    void onReadyRead();
    void onNewRawMsg(QByteArray msgRawData);
    void onBusShutDownRequested();
    void onBusSlowDownRequested();

private:
    bool openSerialPort(qint32 baudRate);
    bool openLine();
    void startReopening();
    void retryOpen();
    void dropLostLine(const QString& error);
    void listen();
    void createReceiver();
    void createHeadLink();
    bool writeFrame(const QByteArray& frame);
    void flushHandedOver();

    std::unique_ptr<QIODevice> m_port;
    QSerialPort* m_serialPort = nullptr; // m_port when the line is a real serial port
    QString m_deviceName;
    qint32 m_baudRate = 0;
    QTimer* m_reopenTimer = nullptr;
    int m_reopenPeriodMs = kReopenPeriodMs;
    QString m_lineUnavailableReason;
    bool m_dropPending = false;
    QuarnBusMsgReceiver* m_receiver = nullptr;
    HeadLink* m_headLink = nullptr;
    bool m_headLinkCounted = true;
    std::atomic<bool> m_sendGateClosed{false};
    QByteArray m_readBuffer;

    // Frames sent from other threads, waiting for this object's thread to write them.
    std::mutex m_handOverMutex;
    std::vector<QByteArray> m_handedOver;
    bool m_flushScheduled = false;
    std::atomic<qint64> m_queuedBytes{0};
    std::atomic<qint64> m_deviceBacklog{0};
    std::unique_ptr<BusCapture> m_capture;
};
