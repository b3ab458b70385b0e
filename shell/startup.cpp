#include "shell/startup.h"

#include "bus/quarnBus.h"
#include "resources/quarnResources.h"
#include "settings/userSettingsStore.h"
#include "shell/boardScreen.h"

#include <QApplication>

int RunInstrument(QApplication& app)
{
    QuarnResources::Init();
    QCoreApplication::setOrganizationName(QStringLiteral("VEK"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("vek.example.com"));
    QCoreApplication::setApplicationName(QStringLiteral("QUARN_2_4"));
    UserSettingsStore::Configure();
    QuarnBus::Get();
    BoardScreen::HideCursor(app);
    return app.exec();
}
