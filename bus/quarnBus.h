#pragma once

#include "bus/quarnBusMsg.h"

#include <QObject>

#include <memory>

class QIODevice;
class QSerialPort;
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

    QuarnBus(const char* deviceName, QObject* parent);
    QuarnBus(QIODevice* device, QObject* parent);
    ~QuarnBus() override;

    // Fire and forget; returns whether the bytes were handed to the line.
    bool sendMsg(const QuarnBusMsg& msg);

    bool isSendGateClosed() const { return m_sendGateClosed; }
    QIODevice* device() const { return m_port.get(); }

signals:
    void newMsg(QuarnBusMsg msg);

public slots:
    void onReadyRead();
    void onNewRawMsg(QByteArray msgRawData);
    void onBusShutDownRequested();
    void onBusSlowDownRequested();

private:
    bool openSerialPort(qint32 baudRate);
    void listen();
    void createReceiver();

    std::unique_ptr<QIODevice> m_port;
    QSerialPort* m_serialPort = nullptr; // m_port when the line is a real serial port
    QString m_deviceName;
    QuarnBusMsgReceiver* m_receiver = nullptr;
    bool m_sendGateClosed = false;
    QByteArray m_readBuffer;
};
