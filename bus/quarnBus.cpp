#include "bus/quarnBus.h"

#include "board/board.h"
#include "bus/busCapture.h"
#include "bus/deviceMsgs.h"
#include "bus/headLink.h"
#include "bus/measurementMsgs.h"
#include "bus/quarnBusMsgReceiver.h"
#include "bus/rtcGetDateTimeMsg.h"
#include "bus/rtcSetDateTimeMsg.h"
#include "bus/settingMsgs.h"
#include "bus/systemDataMsgs.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSerialPort>
#include <QThread>
#include <QTimer>

#include <array>

namespace {

QuarnBus* s_instance = nullptr;

using Factory = QuarnBusMsg (*)(const QByteArray&);

template <typename T> QuarnBusMsg build(const QByteArray& frame)
{
    return T(frame);
}

enum class Route : quint8
{
    Unhandled,
    Forward,
    Silent,
    Gate
};

struct Entry
{
    Route route = Route::Unhandled;
    Factory factory = nullptr;
};

using Table = std::array<Entry, 256>;

template <typename T> void forward(Table& t, std::initializer_list<int> codes)
{
    for (int code : codes)
        t[code] = {Route::Forward, &build<T>};
}

Table makeDispatchTable()
{
    Table t{};
    forward<GetSelectIdMsg>(t, {1});
    forward<GetAdminOptionsMsgResp>(t, {2, 3});
    forward<GetPingMsg>(t, {17});
    forward<GetSmbMsg>(t, {19});
    forward<SetBBMFlashMsgResp>(t, {20});
    forward<SetLEDFlashMsgResp>(t, {21});
    forward<RtcSetDateTimeMsg>(t, {22});
    forward<RtcGetDateTimeMsg>(t, {23});
    forward<SetEepromMsgResp>(t, {32});
    forward<GetOperatingModeMsgResp>(t, {33, 35});
    forward<GetPowerLevelMsgResp>(t, {37, 39});
    forward<GetTxPowerModeMsgResp>(t, {41, 43});
    forward<GetFreqModeMsgResp>(t, {45, 47});
    forward<GetFreqValueMsgResp>(t, {49, 51});
    forward<GetFreqRangeMsgResp>(t, {53, 55});
    forward<GetVolumeMsgResp>(t, {61, 63});
    forward<GetAudioOutputMsgResp>(t, {69, 71});
    forward<GetDspGainLevelMsgResp>(t, {73, 75});
    forward<GetTripLevelMsgResp>(t, {81, 83});
    forward<GetHeadlightMsgResp>(t, {89, 91});
    forward<GetStandbyTimeMsgResp>(t, {93, 95});
    forward<GetAutoOffMsgResp>(t, {99});
    forward<GetCountryMsgResp>(t, {101, 103});
    forward<GetSysInformationMsgResp>(t, {109});
    forward<FftCorrelatedDataRespMsg>(t, {113});
    forward<LoadUserSettingsMsgResp>(t, {117});
    forward<GetSystemDataMsgResp>(t, {121, 123});
    forward<GetBrightnessMsgResp>(t, {125, 127});
    forward<GetToneStyleMsgResp>(t, {129, 131});
    forward<GetUflagsMsgResp>(t, {141, 143});
    forward<QuarnGetAmbientResponseMsg>(t, {145});
    forward<QuarnGetResultResponseMsg>(t, {149});
    forward<GetZoneMsgResp>(t, {157});
    forward<GetZoneListMsgResp>(t, {161});
    for (int code : {eSetTargetHapticMsgAck, eSetKeyPressEventMsgAck, eSaveUserSettingsMsgAck,
                     eSetKeypadExitMsgAck})
        t[code].route = Route::Silent;
    t[eBusSendGateMsg].route = Route::Gate;
    return t;
}

const Table& dispatchTable()
{
    static const Table table = makeDispatchTable();
    return table;
}

constexpr qint32 kFastBaud = 921600;
constexpr qint32 kSlowBaud = 115200;

} // namespace

QuarnBus* QuarnBus::Get()
{
    if (!s_instance) {
        s_instance = new QuarnBus(Board::Get().SerialDevice().toLocal8Bit().constData(), nullptr);
        s_instance->startCapture(Board::Get().BusCaptureFile());
    }
    return s_instance;
}

QuarnBus* QuarnBus::Install(QIODevice* device)
{
    Q_ASSERT(!s_instance);
    s_instance = new QuarnBus(device, nullptr);
    return s_instance;
}

QuarnBus::QuarnBus(const char* deviceName, QObject* parent)
    : QObject(parent), m_deviceName(QString::fromLocal8Bit(deviceName)), m_baudRate(kFastBaud)
{
    qRegisterMetaType<QuarnBusMsg>();
    auto* port = new QSerialPort(m_deviceName);
    m_port.reset(port);
    m_serialPort = port;
    // A line that goes away after it opened (a cable pulled, an adapter unplugged, a
    // simulated head ended) fails every read: a pseudo-terminal whose other end closed
    // reads end-of-file, which the port reports as a read error again at every turn of
    // the event loop. It is closed once the port has finished its own handling.
    connect(port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError) ||
            !m_serialPort->isOpen() || m_dropPending)
            return;
        m_dropPending = true;
        // The port's own text is the errno of some earlier call by then.
        QMetaObject::invokeMethod(
            this, [this] { dropLostLine(QStringLiteral("Connection lost")); },
            Qt::QueuedConnection);
    });
    if (!openLine()) {
        m_lineUnavailableReason = m_deviceName + QStringLiteral(": ") + port->errorString();
        qDebug() << "device failed to open:" << m_deviceName << ":" << port->errorString();
        // On a desktop the line may come later (a head plugged in, a simulator started).
        startReopening();
    }
    createReceiver();
    createHeadLink();
}

QuarnBus::QuarnBus(QIODevice* device, QObject* parent) : QObject(parent), m_port(device)
{
    qRegisterMetaType<QuarnBusMsg>();
    device->setParent(nullptr);
    connect(device, &QIODevice::readyRead, this, &QuarnBus::onReadyRead);
    createReceiver();
    createHeadLink();
}

QuarnBus::~QuarnBus()
{
    if (m_port)
        m_port->close();
}

bool QuarnBus::openSerialPort(qint32 baudRate)
{
    // QSerialPort refuses the unbuffered open mode; its read buffer is drained on every
    // readyRead, which keeps the line's behaviour.
    m_serialPort->setBaudRate(baudRate);
    m_serialPort->setFlowControl(QSerialPort::NoFlowControl);
    m_serialPort->setParity(QSerialPort::NoParity);
    m_serialPort->setDataBits(QSerialPort::Data8);
    m_serialPort->setStopBits(QSerialPort::OneStop);
    return m_serialPort->open(QIODevice::ReadWrite);
}

bool QuarnBus::openLine()
{
    if (!openSerialPort(m_baudRate))
        return false;
    listen();
    qDebug() << "listening for data at" << m_baudRate << "on" << m_deviceName;
    return true;
}

void QuarnBus::startReopening()
{
    if (!m_reopenTimer) {
        m_reopenTimer = new QTimer(this);
        m_reopenTimer->setInterval(m_reopenPeriodMs);
        connect(m_reopenTimer, &QTimer::timeout, this, &QuarnBus::retryOpen);
    }
    m_reopenTimer->start();
}

void QuarnBus::dropLostLine(const QString& error)
{
    m_dropPending = false;
    if (!m_serialPort->isOpen())
        return;
    disconnect(m_serialPort, &QIODevice::readyRead, this, &QuarnBus::onReadyRead);
    m_serialPort->close();
    m_serialPort->clearError();
    m_lineUnavailableReason = m_deviceName + QStringLiteral(": ") + error;
    qDebug() << "device lost:" << m_deviceName << ":" << error;
    startReopening();
    emit LineUnavailable(m_lineUnavailableReason);
}

void QuarnBus::retryOpen()
{
    if (openLine()) {
        m_reopenTimer->stop();
        m_lineUnavailableReason.clear();
        emit LineOpened();
        return;
    }
    // Quiet while nothing changes: one line per reason, not one per attempt.
    const QString reason = m_deviceName + QStringLiteral(": ") + m_serialPort->errorString();
    if (reason == m_lineUnavailableReason)
        return;
    m_lineUnavailableReason = reason;
    qDebug() << "device failed to open:" << m_deviceName << ":" << m_serialPort->errorString();
    emit LineUnavailable(reason);
}

void QuarnBus::setReopenPeriod(int ms)
{
    m_reopenPeriodMs = ms;
    if (m_reopenTimer)
        m_reopenTimer->setInterval(ms);
}

void QuarnBus::listen()
{
    connect(m_serialPort, &QIODevice::readyRead, this, &QuarnBus::onReadyRead);
    m_serialPort->setTextModeEnabled(false);
    if (!(m_serialPort->pinoutSignals() & QSerialPort::DataSetReadySignal))
        qDebug() << "warning: device is not turned on";
    m_serialPort->clearError();
}

void QuarnBus::createHeadLink()
{
    m_headLink = new HeadLink(this);
    connect(m_headLink, &HeadLink::ProbeWanted, this,
            [this](const QuarnBusMsg& msg) { sendMsg(msg); });
    connect(this, &QuarnBus::LineOpened, m_headLink, &HeadLink::Reset);
}

void QuarnBus::createReceiver()
{
    m_receiver = new QuarnBusMsgReceiver(this, GetMyBusId());
    connect(m_receiver, &QuarnBusMsgReceiver::newMsgReady, this, &QuarnBus::onNewRawMsg);
    connect(m_receiver, &QuarnBusMsgReceiver::frameRejected, this,
            [this](const QByteArray& bytes, QuarnBusMsgReceiver::RejectReason reason) {
                if (m_capture)
                    m_capture->record(BusCaptureFormat::Kind::Rejected, bytes,
                                      BusCaptureFormat::verdictOf(reason));
            });
    // A serial port's read() hands over only what its notifier already fetched; bytes
    // still in the driver would be counted as missing after a busy spell of the event
    // loop, so the driver is asked first.
    connect(m_receiver, &QuarnBusMsgReceiver::aboutToGiveUpPartialFrame, this, [this] {
        m_port->waitForReadyRead(0);
        onReadyRead();
    });
    connect(m_port.get(), &QIODevice::bytesWritten, this,
            [this] { m_deviceBacklog = m_port->bytesToWrite(); });
}

bool QuarnBus::sendMsg(const QuarnBusMsg& msg)
{
    if (m_sendGateClosed)
        return false;
    QByteArray frame = msg.serialize();
    if (QThread::currentThread() == thread()) {
        // Frames other threads handed over earlier keep their place before this one.
        if (m_queuedBytes > 0)
            flushHandedOver();
        return writeFrame(frame);
    }

    // The device belongs to this object's thread: a write from here would go nowhere.
    std::lock_guard<std::mutex> lock(m_handOverMutex);
    m_queuedBytes += frame.size();
    m_handedOver.push_back(std::move(frame));
    if (!m_flushScheduled) {
        m_flushScheduled = true;
        QMetaObject::invokeMethod(this, &QuarnBus::flushHandedOver, Qt::QueuedConnection);
    }
    return true;
}

bool QuarnBus::writeFrame(const QByteArray& frame)
{
    // Counted even when the line is closed: nothing answers then either.
    m_headLink->noteRequest(quint8(frame.at(4)), quint8(frame.at(2)));
    // A line that failed to open swallows writes silently.
    const bool written = m_port->isOpen() && m_port->write(frame) == frame.size();
    m_deviceBacklog = m_port->bytesToWrite();
    if (written && m_capture)
        m_capture->record(BusCaptureFormat::Kind::Sent, frame);
    return written;
}

void QuarnBus::flushHandedOver()
{
    std::vector<QByteArray> frames;
    {
        std::lock_guard<std::mutex> lock(m_handOverMutex);
        frames.swap(m_handedOver);
        m_flushScheduled = false;
    }
    for (const QByteArray& frame : frames) {
        writeFrame(frame);
        m_queuedBytes -= frame.size();
    }
}

void QuarnBus::onReadyRead()
{
    // Reuses one buffer: at one byte per notification an allocation per read would
    // dominate the cost of the receive path.
    constexpr int kReadBlock = 4096;
    for (;;) {
        m_readBuffer.resize(kReadBlock);
        const qint64 n = m_port->read(m_readBuffer.data(), kReadBlock);
        if (n <= 0)
            break;
        m_readBuffer.resize(int(n));
        if (m_capture)
            m_capture->record(BusCaptureFormat::Kind::Chunk, m_readBuffer);
        m_receiver->giveNewData(m_readBuffer);
        if (n < kReadBlock)
            break;
    }
}

void QuarnBus::onNewRawMsg(QByteArray msgRawData)
{
    if (m_capture)
        m_capture->record(BusCaptureFormat::Kind::Accepted, msgRawData);
    const quint8 code = msgRawData.size() > 4 ? quint8(msgRawData.at(4)) : 0;
    if (m_headLinkCounted && msgRawData.size() > 3)
        m_headLink->noteFrameFrom(quint8(msgRawData.at(3)));
    const Entry& entry = dispatchTable()[code];
    switch (entry.route) {
    case Route::Forward:
        emit newMsg(entry.factory(msgRawData));
        break;
    case Route::Silent:
        break;
    case Route::Gate:
        m_sendGateClosed = msgRawData.size() > 5 && msgRawData.at(5) != 0;
        break;
    case Route::Unhandled:
        qDebug() << "QuarnBus: unhandled msg: " << QString::number(code, 16);
        break;
    }
}

void QuarnBus::setCapture(std::unique_ptr<BusCapture> capture)
{
    m_capture = std::move(capture);
}

bool QuarnBus::startCapture(const QString& path)
{
    if (path.isEmpty())
        return false;
    QString error;
    auto capture = BusCapture::Open(path, &error);
    if (!capture) {
        qDebug().noquote() << "bus capture not started:" << path << error;
        return false;
    }
    qDebug().noquote() << "bus capture:" << path;
    setCapture(std::move(capture));
    // The singleton outlives the event loop; close the file while the program still runs.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { setCapture(nullptr); });
    return true;
}

void QuarnBus::onBusShutDownRequested()
{
    m_sendGateClosed = true;
}

void QuarnBus::onBusSlowDownRequested()
{
    if (!m_serialPort)
        return;
    m_baudRate = kSlowBaud; // a line still being tried again opens at this rate too
    disconnect(m_serialPort, &QIODevice::readyRead, this, &QuarnBus::onReadyRead);
    m_serialPort->close();
    if (!openLine())
        return;
    if (m_reopenTimer && m_reopenTimer->isActive()) {
        m_reopenTimer->stop();
        m_lineUnavailableReason.clear();
        emit LineOpened();
    }
}
