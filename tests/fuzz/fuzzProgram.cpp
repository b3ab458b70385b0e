#include "tests/fuzz/fuzzProgram.h"

#include "board/board.h"
#include "bus/quarnBus.h"
#include "settings/userSettingsService.h"
#include "settings/userSettingsStore.h"
#include "shell/quarn24ex.h"
#include "shell/startup.h"
#include "tests/support/fakeDevice.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

int s_argc = 1;
char s_arg0[] = "quarn-fuzz";
char* s_argv[] = {s_arg0, nullptr};
QCoreApplication* s_app = nullptr;
// Removed when the fuzzer exits.
std::unique_ptr<QTemporaryDir> s_sandbox;

} // namespace

namespace FuzzProgram {

void Start(bool widgets)
{
    static bool started = false;
    if (started)
        return;
    started = true;
    qInstallMessageHandler(&quiet);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (widgets)
        s_app = new QApplication(s_argc, s_argv);
    else
        s_app = new QCoreApplication(s_argc, s_argv);
    // The board's paths must not reach the real /dev or /media.
    s_sandbox =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quarn-fuzz-XXXXXX"));
    Board::UseSandbox(s_sandbox->path(), s_sandbox->path() + QStringLiteral("/dev/ttyO1"));
    Board::Get().PrepareSandbox();
}

void StartWholeProgram()
{
    Start(true);
    static std::unique_ptr<Quarn24EX> window =
        StartInstrument(*static_cast<QApplication*>(QCoreApplication::instance()));
}

SettingsOnLine& StartSettings()
{
    static SettingsOnLine s = [] {
        Start();
        SettingsOnLine made;
        made.line = new FakeDevice;
        QuarnBus::Install(made.line);
        UserSettingsStore::Configure();
        made.settings = UserSettingsService::Get();
        return made;
    }();
    return s;
}

} // namespace FuzzProgram
