#include "sim/frameLog.h"
#include "sim/headSim.h"
#include "sim/ptyDevice.h"
#include "sim/replay.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int s_signalPipe[2] = {-1, -1};
FrameLog* s_log = nullptr;

void onSignal(int signal)
{
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(s_signalPipe[0], &byte, 1);
}

// Qt's own messages (the frame receiver's rejects among them) go to the frame log.
void logMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    if (s_log)
        s_log->note(text);
}

struct Cli
{
    SimOptions options;
    QString link;
    QString logFile;
    QString replayFile;
    double speed = 1;
};

bool fail(const QString& text)
{
    QFile err;
    err.open(stderr, QIODevice::WriteOnly);
    err.write(QStringLiteral("quarn-headsim: %1\n").arg(text).toLocal8Bit());
    return false;
}

bool parse(const QCoreApplication& app, Cli& cli)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated head: MST, RAD, HCC, KEY and BBM on a pseudo-terminal."));
    parser.addHelpOption();
    auto option = [&parser](const char* name, const char* help, const char* value = nullptr) {
        QCommandLineOption o(QString::fromLatin1(name), QString::fromLatin1(help));
        if (value)
            o.setValueName(QString::fromLatin1(value));
        parser.addOption(o);
        return o;
    };
    const auto link = option("link", "Make PATH a symlink to the line; removed on exit.", "PATH");
    const auto log = option("log", "Log received frames to FILE instead of stderr.", "FILE");
    const auto rate = option(
        "rate", "Result records per second (default 20, 0 = none, 1500 = full line rate).", "N");
    const auto scenario =
        option("scenario", "sweep (default), quiet, semiconductor or corrosive.", "NAME");
    const auto seed = option("seed", "Seed of every random choice (default 1).", "N");
    const auto drop = option("drop", "Drop this percentage of outgoing frames.", "PERCENT");
    const auto corrupt =
        option("corrupt", "Send this percentage of frames with a bad checksum.", "PERCENT");
    const auto delay = option("delay", "Send every frame this much later.", "MS");
    const auto truncate =
        option("truncate", "Cut this percentage of frames short at a random byte.", "PERCENT");
    const auto length =
        option("length", "Send this percentage of frames with a damaged length field.", "PERCENT");
    const auto noise =
        option("noise", "Put a burst of line noise before this percentage of frames.", "PERCENT");
    const auto reset = option("reset",
                              "Reset the controller in the middle of this percentage of frames "
                              "(cut, a glitch byte, 40 ms of quiet).",
                              "PERCENT");
    const auto gateCycle = option(
        "gate-cycle", "Close the program's send gate (message 153) every S seconds, briefly.", "S");
    const auto silent =
        option("silent", "Never answer as these controllers (e.g. HCC,BBM).", "DEVICES");
    const auto headType = option("head-type", "Head type 0 to 3 (default 2; 1 = 900 MHz).", "N");
    const auto hccCode = option("hcc-code", "HCC hardware code (default 01).", "CODE");
    const auto keyCode = option("key-code", "KEY hardware code (default 01).", "CODE");
    const auto flashFault =
        option("flash-fault",
               "While programmed, HCC and KEY answer a wrong checksum (checksum) or stay silent "
               "after an erase request (silent-erase) or after the last packet (silent-write).",
               "KIND");
    const auto charge = option("charge", "Battery charge at start in percent (default 87).", "N");
    const auto mains = option("mains", "Start on mains power (SIGUSR1 toggles it).");
    const auto rtcStopped = option("rtc-stopped", "Report a stopped clock oscillator until set.");
    const auto replay =
        option("replay", "Play the head's side of a bus capture instead of simulating.", "FILE");
    const auto speed = option("speed", "Replay this many times faster (default 1).", "N");
    parser.process(app);

    SimOptions& o = cli.options;
    bool ok = true;
    auto number = [&](const QCommandLineOption& opt, double low, double high, double fallback) {
        if (!parser.isSet(opt))
            return fallback;
        bool valid = false;
        const double value = parser.value(opt).toDouble(&valid);
        if (!valid || value < low || value > high) {
            ok = fail(QStringLiteral("--%1 wants a number from %2 to %3")
                          .arg(opt.names().first())
                          .arg(low)
                          .arg(high));
            return fallback;
        }
        return value;
    };
    o.resultsPerSecond = int(number(rate, 0, 1500, o.resultsPerSecond));
    o.seed = quint32(number(seed, 0, 4294967295.0, o.seed));
    o.faults.dropPercent = number(drop, 0, 100, 0);
    o.faults.corruptPercent = number(corrupt, 0, 100, 0);
    o.faults.delayMs = int(number(delay, 0, 60000, 0));
    o.faults.line.truncatePercent = number(truncate, 0, 100, 0);
    o.faults.line.lengthPercent = number(length, 0, 100, 0);
    o.faults.line.noisePercent = number(noise, 0, 100, 0);
    o.faults.line.resetPercent = number(reset, 0, 100, 0);
    o.faults.line.gateCycleSeconds = int(number(gateCycle, 0, 3600, 0));
    o.mst.headType = int(number(headType, 0, 3, o.mst.headType));
    o.battery.chargePercent = int(number(charge, 0, 100, o.battery.chargePercent));
    o.battery.mains = parser.isSet(mains);
    o.battery.oscillatorStopped = parser.isSet(rtcStopped);
    if (parser.isSet(hccCode))
        o.hccHardwareCode = parser.value(hccCode).toLatin1();
    if (parser.isSet(keyCode))
        o.keyHardwareCode = parser.value(keyCode).toLatin1();
    if (parser.isSet(flashFault)) {
        const auto fault = FlashTargetController::faultFromName(parser.value(flashFault));
        if (fault)
            o.flashFault = *fault;
        else
            ok = fail(QStringLiteral("unknown flash fault %1").arg(parser.value(flashFault)));
    }
    if (parser.isSet(scenario)) {
        const auto kind = SimScenario::kindFromName(parser.value(scenario));
        if (kind)
            o.scenario = *kind;
        else
            ok = fail(QStringLiteral("unknown scenario %1").arg(parser.value(scenario)));
    }
    for (const QString& name : parser.value(silent).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const char id = busIdFromName(name.trimmed());
        if (id == 0 || id == BusId::Tsc)
            ok = fail(QStringLiteral("--silent: unknown controller %1").arg(name));
        else
            o.faults.silent.set(quint8(id));
    }
    cli.replayFile = parser.value(replay);
    cli.speed = number(speed, 0.01, 1000, 1);
    cli.link = parser.value(link);
    cli.logFile = parser.value(log);
    return ok;
}

bool makeLink(const QString& link, const QString& target)
{
    const QFileInfo info(link);
    if (info.isSymLink())
        QFile::remove(link); // left by an earlier run that was killed
    else if (info.exists())
        return fail(QStringLiteral("%1 exists and is not a symlink").arg(link));
    if (!QFile::link(target, link))
        return fail(QStringLiteral("cannot create the link %1").arg(link));
    return true;
}

void removeLink(const QString& link, const QString& target)
{
    if (!link.isEmpty() && QFileInfo(link).symLinkTarget() == target)
        QFile::remove(link);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quarn-headsim"));
    Cli cli;
    if (!parse(app, cli))
        return 2;

    QFile logFile;
    if (cli.logFile.isEmpty()) {
        logFile.open(stderr, QIODevice::WriteOnly);
    } else {
        logFile.setFileName(cli.logFile);
        if (!logFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            fail(QStringLiteral("cannot write %1").arg(cli.logFile));
            return 1;
        }
    }
    FrameLog log(&logFile);
    s_log = &log;
    qInstallMessageHandler(&logMessage);

    auto* line = new PtyDevice;
    if (!line->openPty()) {
        fail(QStringLiteral("no pseudo-terminal: %1").arg(line->errorString()));
        return 1;
    }
    if (!cli.link.isEmpty() && !makeLink(cli.link, line->slaveName()))
        return 1;
    if (!cli.replayFile.isEmpty()) {
        // The head's port owns the line otherwise.
        const std::unique_ptr<PtyDevice> owner(line);
        const int result = RunReplay(line, cli.replayFile, cli.speed, &log);
        removeLink(cli.link, line->slaveName());
        return result;
    }

    HeadSim sim(line, cli.options);
    sim.port()->setLog(&log);
    GateCycler gateCycler(sim.port(), cli.options.faults.line.gateCycleSeconds);
    auto noteCounters = [&] {
        const SimPort::Counters c = sim.port()->counters();
        log.note(QStringLiteral("received %1, sent %2, dropped %3, corrupted %4, silenced %5, "
                                "unheard %6")
                     .arg(c.received)
                     .arg(c.sent)
                     .arg(c.dropped)
                     .arg(c.corrupted)
                     .arg(c.silenced)
                     .arg(line->unheardWrites()));
        const LineFaults::Counters f = sim.port()->lineCounters();
        log.note(QStringLiteral("intact %1, truncated %2, length damaged %3, noise bursts %4, "
                                "resets %5, gate closings %6")
                     .arg(c.intact)
                     .arg(f.truncated)
                     .arg(f.lengthDamaged)
                     .arg(f.noiseBursts)
                     .arg(f.resets)
                     .arg(gateCycler.closings()));
    };
    QObject::connect(line, &PtyDevice::listenerChanged, &app, [&log](bool present) {
        log.note(present ? QStringLiteral("line opened") : QStringLiteral("line closed"));
    });

    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    auto announceLine = [&] {
        out.write(QStringLiteral("quarn-headsim: line %1%2\n")
                      .arg(line->slaveName(),
                           cli.link.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(cli.link))
                      .toLocal8Bit());
        out.flush();
    };
    // The link is gone while the power is off, as the line is, and then names the new one.
    QObject::connect(&sim, &HeadSim::powerCut, &app, [&] {
        log.note(QStringLiteral("power cut by the keypad controller's reset; booting in %1 ms")
                     .arg(cli.options.powerOffMs));
        removeLink(cli.link, line->slaveName());
    });
    QObject::connect(&sim, &HeadSim::booted, &app, [&] {
        if (!cli.link.isEmpty())
            makeLink(cli.link, line->slaveName());
        log.note(QStringLiteral("booted on %1").arg(line->slaveName()));
        announceLine();
    });

    // Signals arrive through a socket pair so that they are handled in the event loop.
    ::socketpair(AF_UNIX, SOCK_STREAM, 0, s_signalPipe);
    QSocketNotifier signalNotifier(s_signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char signal = 0;
        if (::read(s_signalPipe[1], &signal, 1) != 1)
            return;
        if (signal == SIGUSR1) {
            sim.bbm()->setMains(!sim.bbm()->isOnMains());
            log.note(sim.bbm()->isOnMains() ? QStringLiteral("mains connected")
                                            : QStringLiteral("mains disconnected"));
            return;
        }
        if (signal == SIGUSR2) {
            sim.port()->hold();
            log.note(QStringLiteral("holding: nothing more is sent"));
            // Frames a reset's quiet still holds back leave within 40 ms and count then.
            QTimer::singleShot(1000, &app, noteCounters);
            return;
        }
        QCoreApplication::quit();
    });
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2})
        std::signal(signal, &onSignal);

    announceLine();
    log.note(QStringLiteral("head on %1, seed %2").arg(line->slaveName()).arg(cli.options.seed));

    const int result = app.exec();

    noteCounters();
    removeLink(cli.link, line->slaveName());
    s_log = nullptr;
    return result;
}
