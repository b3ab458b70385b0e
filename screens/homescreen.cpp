#include "screens/homescreen.h"

#include "board/board.h"
#include "bus/headLink.h"
#include "bus/measurementMsgs.h"
#include "bus/quarnBus.h"
#include "bus/settingMsgs.h"
#include "bus/systemDataMsgs.h"
#include "settings/adminOptionsSettings.h"
#include "settings/modelUserSetting.h"
#include "settings/muteUserSetting.h"
#include "settings/operatingModeUserSetting.h"
#include "settings/regionUserSetting.h"
#include "settings/startupParametersSetting.h"
#include "settings/userSettingsService.h"
#include "ui_homescreen.h"

#include <QTimer>

namespace {
constexpr int kInterrogationDelayMs = 500;
} // namespace

HomeScreen::HomeScreen(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::HomeScreen>())
{
    qRegisterMetaType<eHeadTypeIdT>();
    ui->setupUi(this);
    connect(QuarnBus::Get(), &QuarnBus::newMsg, this, &HomeScreen::onNewRawMsg);
    connect(UserSettingsService::Get(), &UserSettingsService::UserSettingsChanged, this,
            &HomeScreen::UpdateSettingsIcons);
    QTimer::singleShot(kInterrogationDelayMs, this, &HomeScreen::requestAdminOptions);
    // A head that was silent at start-up never heard these questions: asked again once it
    // answers, so that its options and band still arrive.
    connect(QuarnBus::Get()->headLink(), &HeadLink::HeadAnswering, this, [this] {
        if (!sysInformationTaken)
            requestAdminOptions();
    });
    UpdateSettingsIcons();
}

HomeScreen::~HomeScreen() = default;

void HomeScreen::on_btnBarGraph_clicked()
{
    emit barSelected();
}
void HomeScreen::on_btnChartRec_clicked()
{
    emit chartSelected();
}
void HomeScreen::on_btnFreqScan_clicked()
{
    emit scanSelected();
}
// This button leads to the spectral display; its name is historical.
void HomeScreen::on_btnKeypad_clicked()
{
    emit spectralSelected();
}
void HomeScreen::on_btnSetup_clicked()
{
    emit setupSelected();
}

void HomeScreen::on_btnMute_clicked()
{
    MuteUserSetting().Toggle();
    UpdateSettingsIcons();
}

void HomeScreen::UpdateSettingsIcons()
{
    const bool muted = MuteUserSetting().Get() != 0;
    ui->btnMute->setIcon(QIcon(muted ? QStringLiteral(":/:/images/images/audio_off.png")
                                     : QStringLiteral(":/:/images/images/audio_on.png")));
}

void HomeScreen::requestAdminOptions()
{
    QuarnBus* bus = QuarnBus::Get();
    bus->sendMsg(GetSysInformationMsg());
    bus->sendMsg(GetCountryMsg());
    bus->sendMsg(GetFreqValueMsg());
    bus->sendMsg(GetUflagsMsg());
    bus->sendMsg(GetZoneListMsg());
}

void HomeScreen::onNewRawMsg(QuarnBusMsg msg)
{
    switch (msg.type) {
    case eGetOperatingModeMsgRespToSet:
        OperatingModeUserSetting().SyncWithMasterValue(GetOperatingModeMsgResp(msg).value());
        break;
    case eGetCountryMsgResp:
        takeCountry(msg);
        break;
    case eGetSysInformationMsgResp:
        takeSysInformation(msg);
        break;
    case eGetSystemDataMsgResp:
        takeSystemData(msg);
        break;
    case eGetUflagsMsgResp:
        takeUserFlags(msg);
        break;
    case eGetZoneMsgResp:
        takeZone(msg);
        break;
    default:
        break;
    }
}

void HomeScreen::takeCountry(const QuarnBusMsg& msg)
{
    const quint8 code = GetCountryMsgResp(msg).value();
    RegionUserSetting().Set(eRegion(code));
    if (code >= 14 && code <= 31)
        ModelUserSetting().Set(Model(code));
}

eHeadTypeIdT HomeScreen::HeadTypeFromSysInformation(const QByteArray& payload)
{
    auto byteAt = [&payload](int i) { return i < payload.size() ? quint8(payload.at(i)) : 0; };
    if (payload.size() >= 3 && (byteAt(2) & 0x40))
        return eHeadType900;
    if (payload.isEmpty())
        return eHeadTypeStandard;
    const quint8 id = byteAt(0);
    if (id == 17 || id == 19 || id == 23)
        return eHeadTypeClassic;
    if (id == 0 || id == 1 || id == 3)
        return eHeadTypeStandard;
    return payload.size() >= 5 && byteAt(4) != 0 ? eHeadTypeZoned : eHeadTypeStandard;
}

void HomeScreen::takeSysInformation(const QuarnBusMsg& msg)
{
    sysInformationTaken = true;
    AdminOptionsSettings().Set(GetSysInformationMsgResp(msg).options());
    emit headTypeAttached(HeadTypeFromSysInformation(msg.body));
}

void HomeScreen::takeSystemData(const QuarnBusMsg& msg)
{
    // The display is lit while the head is in an operating mode.
    const GetSystemDataMsgResp block(msg);
    const bool litWanted = block.hasOperatingMode() && block.operatingMode() != 0;
    const QString powerFile = Board::Get().BacklightPowerFile();
    if (litWanted && backlightOff) {
        Board::Get().WriteValue(powerFile, 0);
        backlightOff = false;
    } else if (!litWanted && !backlightOff) {
        Board::Get().WriteValue(powerFile, 1);
        backlightOff = true;
    }
}

void HomeScreen::takeUserFlags(const QuarnBusMsg& msg)
{
    const bool loadInternal = GetUflagsMsgResp(msg).startsWithInternalProfile();
    StartupParametersSetting().Set(loadInternal ? eStartParameterUserSetting::Internal
                                                : eStartParameterUserSetting::Last);
    if (loadInternal)
        UserSettingsService::Get()->LoadFromInternalUserSettings();
}

void HomeScreen::takeZone(const QuarnBusMsg& msg)
{
    if (msg.param != RegionUserSetting().Get())
        return;
    // A narrow zone has no spectral display.
    ui->btnKeypad->setVisible(!GetZoneMsgResp(msg).isNarrow());
}
