// Renders every finished screen offscreen at the panel's size, with live readings played
// over a fake line, into the folder given as argument.

#include "bus/quarnBus.h"
#include "resources/quarnResources.h"
#include "board/board.h"
#include "services/metaScreenShot.h"
#include "settings/userSettingsService.h"
#include "settings/userSettingsStore.h"
#include "shell/quarn24ex.h"
#include "shell/slidingstackedwidget.h"
#include "shell/startup.h"
#include "tests/support/fakeDevice.h"
#include "update/tscSDCardUpdateDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

namespace {

QByteArray fromHead(char src, QuarnBusMsgType type, const QByteArray& body, char param = 0)
{
    return QuarnBusMsg(type, BusId::Tsc, param, body).serializeFrom(src);
}

QByteArray systemData()
{
    QByteArray block("VEK0");
    // Search with tone, automatic frequency, power 15, automatic power; 2404000000 Hz.
    block.append(QByteArray::fromHex("01010f01"));
    block.append(QByteArray::fromHex("00214a8f"));
    block.append(QByteArray::fromHex("01"
                                     "01"
                                     "00"
                                     "14"
                                     "07"
                                     "02"
                                     "00"
                                     "01"
                                     "00"
                                     "05"
                                     "02"
                                     "00"
                                     "00"
                                     "03"
                                     "00"));
    return block;
}

QByteArray result(int tx, int rx2, int rx3)
{
    QByteArray body(51, 0);
    body[47] = char(tx);
    body[49] = char(rx2);
    body[50] = char(rx3);
    return fromHead(BusId::Rad, eQuarnGetResultResponseMsg, body);
}

// The battery board's status record with the charge in byte 16.
QByteArray batteryStatus(int percent)
{
    QByteArray body(17, 0);
    body[16] = char(percent);
    return fromHead(BusId::Bbm, eGetPingMsg, body);
}

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screens");
    QDir().mkpath(out);

    QTemporaryDir sandbox;
    Board::UseSandbox(sandbox.path(), sandbox.path() + QStringLiteral("/dev/ttyO1"));
    Board::Get().PrepareSandbox();
    QuarnResources::Init();
    QCoreApplication::setOrganizationName(QStringLiteral("VEK"));
    QCoreApplication::setApplicationName(QStringLiteral("QUARN_2_4"));
    auto* line = new FakeDevice;
    QuarnBus::Install(line);
    ApplyStyleSheet(app);
    UserSettingsStore::Configure();
    UserSettingsService::Get();
    line->feed(fromHead(BusId::Mst, eGetSystemDataMsgResp, systemData()));

    Quarn24EX window;
    window.setFixedSize(240, 320);
    window.show();
    line->feed(batteryStatus(87));
    auto* stack = window.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"));
    settle(800);

    const auto shoot = [&](const char* name) {
        settle(50);
        window.grab().save(out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
    };
    const auto show = [&](void (Quarn24EX::*slot)()) {
        (window.*slot)();
        settle(stack ? 700 : 50);
    };

    show(&Quarn24EX::doHomeScreen);
    shoot("home");
    show(&Quarn24EX::doBarGraph);
    line->feed(result(15, 182, 46));
    shoot("bargraph");

    // The annotated screenshot of the bar graph with its semiconductor reading.
    MetaScreenShot sheet;
    sheet.RenderSheet(Board::Get().Now()).save(out + QStringLiteral("/screenshot_sheet.png"));

    // The volume face: the bar graph's volume button brings the bar up over the icons.
    auto* volumeUp = window.findChild<QAbstractButton*>(QStringLiteral("btnVolUp"));
    volumeUp->click();
    settle(400);
    volumeUp->click();
    shoot("statusbar_volume");

    // The update dialog at the panel's size: the first prompt, a section being written and
    // a failed transfer.
    TscSDCardUpdateDialog update;
    update.setFixedSize(240, 320);
    update.show();
    const auto shootUpdate = [&](const char* name) {
        settle(50);
        update.grab().save(out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
    };
    shootUpdate("update_prompt");
    update.updateProgress(55);
    update.DisplayErase(QStringLiteral("MST"));
    update.DisplayWrite(QStringLiteral("MST"));
    shootUpdate("update_progress");
    update.ErrorHandler(4);
    shootUpdate("update_error");
    return 0;
}
