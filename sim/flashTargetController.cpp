#include "sim/flashTargetController.h"

#include "bus/deviceMsgs.h"
#include "bus/msgShapes.h"
#include "sim/frameLog.h"

namespace {
constexpr int kEraseLimitMs = 19000; // the program gives up after 20 s
}

FlashTargetController::FlashTargetController(char busId, const QByteArray& version,
                                             const QByteArray& hardwareCode, const Timing& timing,
                                             SimPort* port, QObject* parent)
    : SimController(busId, port, parent), m_version(version),
      m_hardwareCode(hardwareCode.left(2).rightJustified(2, '0')), m_timing(timing)
{}

QByteArray FlashTargetController::statusText() const
{
    // "HCC 2.0.5  HWID: 01 RUN": the hardware code sits at characters 17 and 18.
    const QByteArray head = deviceName(quint8(busId())).toLatin1() + ' ' + m_version;
    return head.leftJustified(kHardwareCodeAt - 6, ' ', true) + "HWID: " + m_hardwareCode + " RUN";
}

void FlashTargetController::handle(const QuarnBusMsg& r)
{
    switch (r.type) {
    case eStatusRequestMsg:
        send(eGetSelectIdMsg, 0, statusText() + '\0');
        break;
    case eSetEepromMsg:
        if (r.param == SetEepromMsgReq::kErase)
            erase(r);
        else if (r.param == SetEepromMsgReq::kWrite)
            write(r);
        break;
    case eMasterResetRequest:
        ++m_resets;
        m_packetsExpected = 0;
        break;
    case eQuarnActivateHapticRequest:
        // The keypad acknowledges a pulse; the self-test counts that as its answer.
        if (busId() == BusId::Key) {
            ++m_pulses;
            send(eGetTripLevelMsgRespToSet, 0, r.body);
        }
        break;
    default:
        break;
    }
}

std::optional<FlashTargetController::Fault>
FlashTargetController::faultFromName(const QString& name)
{
    if (name == QLatin1String("checksum"))
        return Fault::BadChecksum;
    if (name == QLatin1String("silent-erase"))
        return Fault::SilentErase;
    if (name == QLatin1String("silent-write"))
        return Fault::SilentWrite;
    if (name == QLatin1String("none"))
        return Fault::None;
    return std::nullopt;
}

void FlashTargetController::erase(const QuarnBusMsg& r)
{
    const int blocks = r.bodyByte(0);
    m_packetsExpected = blocks * kPacketsPerBlock;
    m_packetsReceived = 0;
    m_checksum = 0;
    m_sections.append({r.bodyByte(1), blocks, r.body.mid(2, 8), {}, false});
    if (m_fault == Fault::SilentErase)
        return;
    const int ms = qMin(kEraseLimitMs, m_timing.eraseBaseMs + blocks * m_timing.eraseMsPerBlock);
    sendLater(ms, eSetEepromMsg, SetEepromMsgReq::kErase, QByteArray(1, char(r.bodyByte(1))));
}

void FlashTargetController::write(const QuarnBusMsg& r)
{
    if (m_packetsExpected == 0)
        return; // no erased section to write into
    for (char byte : r.body)
        m_checksum += quint8(byte);
    m_sections.last().data.append(r.body);
    if (++m_packetsReceived < m_packetsExpected)
        return;
    m_packetsExpected = 0;
    if (m_fault == Fault::SilentWrite)
        return;
    m_sections.last().answered = true;
    QByteArray sum;
    appendLe32(sum, m_fault == Fault::BadChecksum ? m_checksum + 1 : m_checksum);
    sendLater(m_timing.checksumMs, eSetEepromMsg, SetEepromMsgReq::kWrite, sum);
}
