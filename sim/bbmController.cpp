#include "sim/bbmController.h"

#include "bus/msgShapes.h"
#include "bus/rtcSetDateTimeMsg.h"
#include "services/rtcMsgUtil.h"

namespace {

constexpr int kFullCapacityMah = 5200;
constexpr int kLowestCharge = 3; // the board switches the grip off below this

// Battery status bits as the smart battery reports them.
constexpr quint16 kInitialized = 0x0080;
constexpr quint16 kDischarging = 0x0040;
constexpr quint16 kFullyCharged = 0x0020;

QByteArray word(int value)
{
    QByteArray body;
    appendLe16(body, quint16(value));
    return body;
}

QByteArray text(const char* value)
{
    return QByteArray(value) + '\0';
}

} // namespace

BbmController::BbmController(SimPort* port, const Options& options, QObject* parent)
    : SimController(BusId::Bbm, port, parent), m_charge(qBound(0, options.chargePercent, 100)),
      m_mains(options.mains), m_oscillatorStopped(options.oscillatorStopped)
{
    connect(&m_chargeTimer, &QTimer::timeout, this, &BbmController::stepCharge);
    m_chargeTimer.start(qMax(1, options.chargeStepMs));
}

void BbmController::stepCharge()
{
    m_charge = m_mains ? qMin(100, m_charge + 1) : qMax(kLowestCharge, m_charge - 1);
}

QDateTime BbmController::clock() const
{
    return QDateTime::currentDateTime().addMSecs(m_clockOffsetMs);
}

QByteArray BbmController::clockBody() const
{
    QByteArray body = RtcSetDateTimeMsg(clock(), BusId::Tsc).body;
    if (m_oscillatorStopped)
        body[0] = char(body.at(0) | kOscillatorStopBit);
    return body;
}

void BbmController::handle(const QuarnBusMsg& r)
{
    switch (r.type) {
    case eGetPingMsg:
        send(eGetPingMsg, 0, statusRecord());
        break;
    case eGetSmbMsg:
        if (const std::optional<QByteArray> value = smbRegister(r.param))
            send(eGetSmbMsg, r.param, *value);
        break;
    case eRtcGetDateTimeMsg:
        send(eRtcGetDateTimeMsg, 0, clockBody());
        break;
    case eRtcSetDateTimeMsg: {
        const QDateTime time = RtcMsgUtilParseDateTimeFromRtcMsgBody(r.body);
        if (time.isValid()) {
            m_clockOffsetMs = QDateTime::currentDateTime().msecsTo(time);
            m_oscillatorStopped = false;
        }
        send(eRtcSetDateTimeMsg, 0, clockBody());
        break;
    }
    default:
        break;
    }
}

QByteArray BbmController::statusRecord() const
{
    const int millivolts = 6800 + m_charge * 14;
    const int milliamps = m_mains ? (m_charge < 100 ? 1200 : 0) : -850;
    const quint16 status = quint16(kInitialized | (m_mains ? 0 : kDischarging) |
                                   (m_charge >= 100 ? kFullyCharged : 0));
    QByteArray body;
    body.reserve(kStatusSize);
    appendLe16(body, quint16(millivolts));
    appendLe16(body, quint16(qint16(milliamps)));
    appendLe16(body, 2981); // 25 °C in tenths of a kelvin
    body.append('\0');
    body.append(char((m_mains ? kAcBit : 0) | (milliamps > 0 ? 0x01 : 0)));
    body.append(char(status >> 8)); // the status word travels high byte first
    body.append(char(status & 0xFF));
    appendLe16(body, quint16(kFullCapacityMah * m_charge / 100));
    appendLe16(body, quint16(kFullCapacityMah));
    appendLe16(body, quint16(m_mains ? 0xFFFF : 6 * m_charge)); // minutes to empty
    body.append(char(m_charge));
    body.append(char(100)); // state of health
    return body;
}

std::optional<QByteArray> BbmController::smbRegister(quint8 reg) const
{
    switch (reg) {
    case 0x08: // Temperature
        return word(2981);
    case 0x09: // Voltage
        return word(6800 + m_charge * 14);
    case 0x0D: // RelativeStateOfCharge
        return word(m_charge);
    case 0x0F: // RemainingCapacity
        return word(kFullCapacityMah * m_charge / 100);
    case 0x10: // FullChargeCapacity
    case 0x18: // DesignCapacity
        return word(kFullCapacityMah);
    case 0x17: // CycleCount
        return word(42);
    case 0x19: // DesignVoltage
        return word(7200);
    case 0x1B: // ManufactureDate: 2014-07-03
        return word(0x44E3);
    case 0x1C: // SerialNumber
        return word(4711);
    case 0x20: // ManufacturerName
        return text("VEKPOWER");
    case 0x21: // DeviceName
        return text("QB2S2P");
    case 0x22: // DeviceChemistry
        return text("LION");
    default:
        return std::nullopt;
    }
}
