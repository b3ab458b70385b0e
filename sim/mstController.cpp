#include "sim/mstController.h"

#include "bus/msgShapes.h"
#include "bus/systemDataMsgs.h"

namespace {

QByteArray oneByte(quint8 value)
{
    return QByteArray(1, char(value));
}

QByteArray le16(quint16 value)
{
    QByteArray body;
    appendLe16(body, value);
    return body;
}

QByteArray le32(quint32 value)
{
    QByteArray body;
    appendLe32(body, value);
    return body;
}

// Requests that change one byte of the settings, with the limit the head enforces.
struct ByteSetting
{
    QuarnBusMsgType request;
    quint8 HeadSettings::*field;
    quint8 max;
};

constexpr ByteSetting kByteSettings[] = {
    {eSetPowerLevelMsg, &HeadSettings::powerLevel, MstController::kMaxPowerLevel},
    {eSetTxPowerModeMsg, &HeadSettings::txPowerMode, 1},
    {eSetFreqModeMsg, &HeadSettings::freqMode, 3},
    {eSetVolumeMsg, &HeadSettings::volumeMute, 0xFF},
    {eSetAudioOutputMsg, &HeadSettings::audioSource, 1},
    {eSetDspGainLevelMsg, &HeadSettings::dspGainLevel, 2},
    {eSetTripLevelMsg, &HeadSettings::tripLevel, MstController::kMaxTripLevel},
    {eSetTargetHapticMsg, &HeadSettings::targetVibration, 2},
    {eSetHeadlightMsg, &HeadSettings::headlight, 1},
    {eSetStandbyTimeMsg, &HeadSettings::standbyTime, 5},
    {eSetAutoOffMsg, &HeadSettings::autoPowerOff, 5},
    {eSetBrightnessMsg, &HeadSettings::brightness, 2},
    {eSetToneStyleMsg, &HeadSettings::toneStyle, 3},
};

// The body each change request must carry; the head refuses any other length without an
// answer, as it does a corrupt frame, so a sender that built a bodiless change finds out.
struct BodySize
{
    QuarnBusMsgType request;
    int size;
};

constexpr BodySize kBodySizes[] = {
    {eSetAdminOptionsMsg, 2},
    {eSetOperatingModeMsg, 1},
    {eSetFreqValueMsg, 4},
    {eSetCountryMsg, 1},
    {eSetUflagsMsg, 2},
    {eSetKeypadExitMsg, 1},
    {eSetSystemDataMsg, SetSystemDataMsg::kBlockSize},
};

int expectedBodySize(int type)
{
    for (const BodySize& entry : kBodySizes) {
        if (entry.request == type)
            return entry.size;
    }
    for (const ByteSetting& setting : kByteSettings) {
        if (setting.request == type)
            return 1;
    }
    return -1;
}

quint8 withVolumeLimit(quint8 volumeMute, int maxVolume)
{
    return quint8((volumeMute & 0x80) | qMin(volumeMute & 0x7F, maxVolume));
}

} // namespace

MstController::MstController(SimPort* port, SimScenario* scenario, const Options& options,
                             QObject* parent)
    : SimController(BusId::Mst, port, parent), m_options(options), m_band900(options.headType == 1),
      m_adminOptions(withBand(options.adminOptions)), m_zones(zonesFor(m_band900)),
      m_scan(new AmbientScan(port, scenario, options.scan, this))
{
    if (isBand900())
        m_defaults.frequencyHz = 915000000u;
    m_settings = m_defaults;
    m_stored = m_defaults;
    m_searchMode = m_settings.operatingMode;
    connect(m_scan, &AmbientScan::autoScanFinished, this, &MstController::finishAutoScan);
}

quint16 MstController::withBand(quint16 options) const
{
    // The band is the head's hardware: an options word from the program cannot change it.
    return m_band900 ? options | kBand900Option : options & ~kBand900Option;
}

const Zone* MstController::findZone(quint8 code) const
{
    for (const Zone& zone : m_zones) {
        if (zone.code == code)
            return &zone;
    }
    return nullptr;
}

const Zone& MstController::currentZone() const
{
    const Zone* zone = findZone(m_settings.region);
    return zone ? *zone : m_zones.front();
}

QByteArray MstController::zoneList(bool band900)
{
    // The models' codes are zones too, but the list offers the regions only.
    QByteArray codes;
    for (const Zone& zone : zonesFor(band900)) {
        if (zone.code >= 32)
            codes.append(char(zone.code));
    }
    return codes;
}

QByteArray MstController::versionText(quint8 processorId)
{
    static const char* const kVersions[] = {"MST 3.1.12", "BBM 1.4.2", "HDC 1.0.7",
                                            "RCC 2.2.9",  "KCC 1.1.3", "HCC 2.0.5"};
    if (processorId >= std::size(kVersions))
        return {};
    return QByteArray(kVersions[processorId]);
}

QByteArray MstController::systemInformation() const
{
    // Byte 0 is the head's hardware family and byte 4 its revision; together with the
    // band bit of the options word they make the head type the program derives.
    static const quint8 kFamily[] = {1, 5, 5, 17};
    const int type = qBound(0, m_options.headType, 3);
    QByteArray body;
    body.append(char(kFamily[type]));
    body.append('\0');
    appendLe16(body, m_adminOptions);
    body.append(char(type == 0 ? 0 : 1));
    return body;
}

void MstController::handle(const QuarnBusMsg& r)
{
    const int expected = expectedBodySize(r.type);
    if (expected >= 0 && r.body.size() != expected) {
        refuse(r, expected);
        return;
    }
    switch (r.type) {
    case eGetSelectIdMsg:
        // An id the head does not know gets no answer.
        if (!versionText(r.param).isEmpty())
            send(eGetSelectIdMsg, r.param, versionText(r.param) + '\0');
        break;
    case eSetAdminOptionsMsg:
        m_adminOptions = withBand(le16At(r, 0));
        send(eGetAdminOptionsMsgResp, 0, le16(m_adminOptions));
        break;
    case eSetBBMFlashMsg:
    case eSetLEDFlashMsg:
        sendLater(m_options.pushMs, r.type);
        break;
    case eSetOperatingModeMsg: {
        quint8 mode = r.bodyByte(0);
        if (mode == kReturnToSearch)
            mode = m_searchMode;
        m_settings.operatingMode = mode;
        send(eGetOperatingModeMsgRespToSet, 0, oneByte(mode));
        applyOperatingMode(mode);
        break;
    }
    case eGetFreqValueMsg:
        send(eGetFreqValueMsgResp, 0, le32(m_settings.frequencyHz));
        break;
    case eSetFreqValueMsg:
        m_settings.frequencyHz = currentZone().clamp(le32At(r, 0));
        send(eGetFreqValueMsgRespToSet, 0, le32(m_settings.frequencyHz));
        break;
    case eGetCountryMsg:
        send(eGetCountryMsgResp, 0, oneByte(m_settings.region));
        break;
    case eSetCountryMsg:
        if (findZone(r.bodyByte(0))) {
            m_settings.region = r.bodyByte(0);
            m_settings.frequencyHz = currentZone().clamp(m_settings.frequencyHz);
        }
        send(eGetCountryMsgRespToSet, 0, oneByte(m_settings.region));
        break;
    case eSetKeyPressEventMsg:
        send(eSetKeyPressEventMsgAck, r.param);
        onKey(r.param);
        break;
    case eGetSysInformationMsg:
        send(eGetSysInformationMsgResp, 0, systemInformation());
        break;
    case eLoadUserSettingsMsg: {
        HeadSettings loaded =
            r.param == LoadUserSettingsMsg::kRestoreDefaults ? m_defaults : m_stored;
        loaded.region = m_settings.region; // the zone is regulation, not a user setting
        send(eLoadUserSettingsMsgResp, r.param);
        m_settings = sanitized(loaded);
        applyOperatingMode(m_settings.operatingMode);
        break;
    }
    case eSaveUserSettingsMsg:
        m_stored = m_settings;
        send(eSaveUserSettingsMsgAck);
        break;
    case eGetSystemDataMsg:
        sendSystemData(eGetSystemDataMsgResp);
        break;
    case eSetSystemDataMsg: {
        const std::optional<HeadSettings> block = HeadSettings::fromBlock(r.body);
        if (block)
            m_settings = sanitized(*block);
        sendSystemData(eGetSystemDataMsgRespToSet);
        if (block)
            applyOperatingMode(m_settings.operatingMode);
        break;
    }
    case eGetUflagsMsg:
        send(eGetUflagsMsgResp, 0, oneByte(m_settings.flags));
        break;
    case eSetUflagsMsg:
        m_settings.flags = quint8((m_settings.flags & ~1) | (r.bodyByte(0) & 1));
        send(eGetUflagsMsgRespToSet, 0, oneByte(m_settings.flags));
        break;
    case eSetKeypadExitMsg:
        send(eSetKeypadExitMsgAck);
        break;
    case eGetZoneMsg:
        if (const Zone* zone = findZone(r.param))
            send(eGetZoneMsgResp, r.param, zone->record());
        break;
    case eGetZoneListMsg:
        send(eGetZoneListMsgResp, m_settings.region, zoneList(m_band900));
        break;
    default:
        answerByteSetting(r);
        break;
    }
}

void MstController::answerByteSetting(const QuarnBusMsg& r)
{
    for (const ByteSetting& setting : kByteSettings) {
        if (setting.request != r.type)
            continue;
        quint8& value = m_settings.*setting.field;
        value = r.type == eSetVolumeMsg ? withVolumeLimit(r.bodyByte(0), kMaxVolume)
                                        : qMin(r.bodyByte(0), setting.max);
        send(QuarnBusMsgType(r.type + 1), 0, oneByte(value));
        return;
    }
}

HeadSettings MstController::sanitized(HeadSettings s) const
{
    if (!findZone(s.region))
        s.region = m_settings.region;
    s.powerLevel = qMin(s.powerLevel, kMaxPowerLevel);
    s.tripLevel = qMin(s.tripLevel, kMaxTripLevel);
    s.volumeMute = withVolumeLimit(s.volumeMute, kMaxVolume);
    s.frequencyHz = findZone(s.region)->clamp(s.frequencyHz);
    if (s.operatingMode == kReturnToSearch)
        s.operatingMode = m_searchMode;
    return s;
}

void MstController::applyOperatingMode(quint8 mode)
{
    m_settings.operatingMode = mode;
    if (!isScanMode(mode)) {
        m_searchMode = mode;
        m_scan->stop();
        return;
    }
    send(eGetFreqRangeMsgResp, 0, currentZone().range());
    if (mode == kAutoScan) {
        sendSystemData(eGetSystemDataMsgResp);
        m_scan->startAuto(currentZone());
    } else {
        m_scan->startChannel(mode - kTransmitScan, currentZone());
    }
}

void MstController::finishAutoScan()
{
    m_settings.operatingMode = m_searchMode;
    sendSystemData(eGetSystemDataMsgResp);
}

void MstController::sendSystemData(QuarnBusMsgType type)
{
    send(type, 0, m_settings.toBlock());
}

void MstController::onKey(quint8 keyCode)
{
    // The program repeats a held key every 10 ms; the head steps once on the press and
    // then at its own repeat pace, as with its physical keys.
    if (keyCode == 0) {
        m_heldKey = 0;
        return;
    }
    if (keyCode != m_heldKey) {
        m_heldKey = keyCode;
        m_keyHeld.start();
        m_nextKeyRepeatMs = kKeyRepeatDelayMs;
        applyKey(keyCode);
        return;
    }
    if (m_keyHeld.elapsed() >= m_nextKeyRepeatMs) {
        m_nextKeyRepeatMs += kKeyRepeatMs;
        applyKey(keyCode);
    }
}

void MstController::applyKey(quint8 keyCode)
{
    HeadSettings& s = m_settings;
    const int volume = s.volumeMute & 0x7F;
    switch (keyCode) {
    case kKeyPowerUp:
    case kKeyPowerDown:
        s.powerLevel = quint8(
            qBound(0, s.powerLevel + (keyCode == kKeyPowerUp ? 1 : -1), int(kMaxPowerLevel)));
        send(eGetPowerLevelMsgRespToSet, 0, oneByte(s.powerLevel));
        break;
    case kKeyVolumeUp:
    case kKeyVolumeDown:
        // A volume key unmutes, like the program's own volume buttons.
        s.volumeMute = quint8(qBound(0, volume + (keyCode == kKeyVolumeUp ? 1 : -1), kMaxVolume));
        send(eGetVolumeMsgResp, 0, oneByte(s.volumeMute));
        break;
    default:
        return;
    }
    // The transmit power mode report makes the program read the system data again.
    send(eGetTxPowerModeMsgResp, 0, oneByte(s.txPowerMode));
}
