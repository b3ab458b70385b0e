#include "shell/startup.h"

#include "board/boardScreen.h"
#include "bus/headLink.h"
#include "bus/quarnBus.h"
#include "resources/quarnResources.h"
#include "services/timeService.h"
#include "services/versionInfo.h"
#include "settings/brightnessUserSetting.h"
#include "settings/userSettingsService.h"
#include "settings/userSettingsStore.h"
#include "shell/panelDialogs.h"
#include "shell/quarn24ex.h"
#include "update/sdCardUpdate.h"

#include <QApplication>
#include <QDebug>
#include <QFile>

void ApplyStyleSheet(QApplication& app)
{
    QFile file(QStringLiteral(":/:/qss/QuarnStyle.qss"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "not here";
        return;
    }
    QByteArray text = file.readAll();
    const int nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    app.setStyleSheet(QString::fromUtf8(text));
}

void ApplyPanelStyle(QApplication& app)
{
    ApplyStyleSheet(app);
    PanelDialogs::Install(app);
}

std::unique_ptr<Quarn24EX> StartInstrument(QApplication& app)
{
    // The board's service setting, from /etc/default/quarn24ex (quarn24ex.service).
    if (qEnvironmentVariable("QUARN_UPDATE_REQUIRE_SIGNATURE") == QLatin1String("1"))
        SDCardUpdate::SetSignatureRequired(true);
    QuarnResources::Init();
    QCoreApplication::setOrganizationName(QStringLiteral("VEK"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("vek.example.com"));
    QCoreApplication::setApplicationName(QStringLiteral("QUARN_2_4"));

    // The time service is the first user of the bus: the line opens here and the first
    // clock request goes out, already watched for an answer.
    QuarnBus::Get()->headLink()->Watch();
    TimeService::Get();
    ApplyPanelStyle(app);
    UserSettingsStore::Configure();
    BrightnessUserSetting().RefreshLocalBrightness();
    BoardScreen::HideCursor(app);
    BoardScreen::TakeTabletAsMouse(app);
    UserSettingsService::Get();
    VersionInfo::Get();

    auto window = std::make_unique<Quarn24EX>();
    BoardScreen::ShowMainWindow(*window);
    return window;
}

int RunInstrument(QApplication& app)
{
    auto window = StartInstrument(app);
    const int code = app.exec();
    window.reset();
    return code;
}
