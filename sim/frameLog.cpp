#include "sim/frameLog.h"

#include "bus/quarnBusMsg.h"

#include <QFileDevice>
#include <QHash>
#include <QIODevice>

namespace {

// Longer bodies (firmware packets) are cut: the log is for reading.
constexpr int kBodyBytesShown = 32;

const QHash<int, QString>& requestNames()
{
    static const QHash<int, QString> names = {
        {eStatusRequestMsg, QStringLiteral("StatusRequestMsg")},
        {eGetSelectIdMsg, QStringLiteral("GetSelectIdMsg")},
        {eSetAdminOptionsMsg, QStringLiteral("SetAdminOptionsMsg")},
        {eGetPingMsg, QStringLiteral("GetPingMsg")},
        {eMasterResetRequest, QStringLiteral("MasterResetRequest")},
        {eGetSmbMsg, QStringLiteral("GetSmbMsg")},
        {eSetBBMFlashMsg, QStringLiteral("SetFlashMsgReq")},
        {eSetLEDFlashMsg, QStringLiteral("SetFlashMsgReq")},
        {eRtcSetDateTimeMsg, QStringLiteral("RtcSetDateTimeMsg")},
        {eRtcGetDateTimeMsg, QStringLiteral("RtcGetDateTimeMsg")},
        {eSetEepromMsg, QStringLiteral("SetEepromMsgReq")},
        {eSetOperatingModeMsg, QStringLiteral("SetOperatingModeMsg")},
        {eSetPowerLevelMsg, QStringLiteral("SetPowerLevelMsg")},
        {eSetTxPowerModeMsg, QStringLiteral("SetTxPowerModeMsg")},
        {eSetFreqModeMsg, QStringLiteral("SetFreqModeMsg")},
        {eGetFreqValueMsg, QStringLiteral("GetFreqValueMsg")},
        {eSetFreqValueMsg, QStringLiteral("SetFreqValueMsg")},
        {eSetVolumeMsg, QStringLiteral("SetVolumeMsg")},
        {eSetAudioOutputMsg, QStringLiteral("SetAudioOutputMsg")},
        {eSetDspGainLevelMsg, QStringLiteral("SetDspGainLevelMsg")},
        {eSetTripLevelMsg, QStringLiteral("SetTripLevelMsg")},
        {eSetTargetHapticMsg, QStringLiteral("SetTargetHapticMsg")},
        {eSetHeadlightMsg, QStringLiteral("SetHeadlightMsg")},
        {eSetStandbyTimeMsg, QStringLiteral("SetStandbyTimeMsg")},
        {eSetAutoOffMsg, QStringLiteral("SetAutoOffMsg")},
        {eGetCountryMsg, QStringLiteral("GetCountryMsg")},
        {eSetCountryMsg, QStringLiteral("SetCountryMsg")},
        {eSetKeyPressEventMsg, QStringLiteral("SetKeyPressEventMsg")},
        {eGetSysInformationMsg, QStringLiteral("GetSysInformationMsg")},
        {eFftCorrelatedDataRequestMsg, QStringLiteral("FftCorrelatedDataRequestMsg")},
        {eLoadUserSettingsMsg, QStringLiteral("LoadUserSettingsMsg")},
        {eSaveUserSettingsMsg, QStringLiteral("SaveUserSettingsMsg")},
        {eGetSystemDataMsg, QStringLiteral("GetSystemDataMsg")},
        {eSetSystemDataMsg, QStringLiteral("SetSystemDataMsg")},
        {eSetBrightnessMsg, QStringLiteral("SetBrightnessMsg")},
        {eSetToneStyleMsg, QStringLiteral("SetToneStyleMsg")},
        {eGetUflagsMsg, QStringLiteral("GetUflagsMsg")},
        {eSetUflagsMsg, QStringLiteral("SetUflagsMsg")},
        {eQuarnGetResultRequestMsg, QStringLiteral("QuarnGetResultRequestMsg")},
        {eSetKeypadExitMsg, QStringLiteral("SetKeypadExitMsg")},
        {eGetZoneMsg, QStringLiteral("GetZoneMsg")},
        {eGetZoneListMsg, QStringLiteral("GetZoneListMsg")},
    };
    return names;
}

} // namespace

QString deviceName(quint8 busId)
{
    switch (char(busId)) {
    case BusId::Tsc:
        return QStringLiteral("TSC");
    case BusId::Bbm:
        return QStringLiteral("BBM");
    case BusId::Key:
        return QStringLiteral("KEY");
    case BusId::Mst:
        return QStringLiteral("MST");
    case BusId::Hcc:
        return QStringLiteral("HCC");
    case BusId::Rad:
        return QStringLiteral("RAD");
    default:
        return QStringLiteral("0x%1").arg(busId, 2, 16, QLatin1Char('0'));
    }
}

char busIdFromName(const QString& name)
{
    for (char id : {BusId::Tsc, BusId::Bbm, BusId::Key, BusId::Mst, BusId::Hcc, BusId::Rad}) {
        if (deviceName(quint8(id)).compare(name, Qt::CaseInsensitive) == 0)
            return id;
    }
    return 0;
}

QString requestName(const QuarnBusMsg& msg)
{
    if (msg.type == eQuarnActivateHapticRequest && msg.destId == quint8(BusId::Key))
        return QStringLiteral("QuarnActivateHapticRequest");
    return requestNames().value(msg.type, QStringLiteral("unknown"));
}

QString describeFrame(const QuarnBusMsg& msg, qint64 elapsedMs)
{
    QString body = msg.body.isEmpty()
                       ? QStringLiteral("-")
                       : QString::fromLatin1(msg.body.left(kBodyBytesShown).toHex(' '));
    if (msg.body.size() > kBodyBytesShown)
        body += QStringLiteral(" ... (%1 bytes)").arg(msg.body.size());
    return QStringLiteral("%1 %2 %3(%4) param %5 body %6")
        .arg(elapsedMs / 1000.0, 9, 'f', 3)
        .arg(deviceName(msg.destId), requestName(msg))
        .arg(int(msg.type))
        .arg(msg.param)
        .arg(body);
}

FrameLog::FrameLog(QIODevice* out) : m_out(out)
{
    m_clock.start();
}

void FrameLog::frame(const QuarnBusMsg& msg)
{
    write(describeFrame(msg, m_clock.elapsed()));
}

void FrameLog::note(const QString& text)
{
    write(QStringLiteral("# ") + text);
}

void FrameLog::write(const QString& line)
{
    if (!m_out)
        return;
    m_out->write(line.toUtf8() + '\n');
    if (auto* file = qobject_cast<QFileDevice*>(m_out))
        file->flush();
}
