// The whole program in this process, started as the desktop build starts it (sandboxed
// board, offscreen panel), measured from inside:
//   bench_program startup [runs]           exec to the first painted screen, best of runs
//                                          (each a fresh process); peak RSS once every page
//                                          has been painted with its pictures
//   bench_program load RATE [windows] [s]  processor share of the program (all its threads,
//                                          from getrusage) with the chart page showing while
//                                          the simulated head sends RATE results a second;
//                                          the quietest of several windows
//   bench_program touch [touches]          a touch on the bar graph's power bar, through the
//                                          platform's input path, to its frame on the line
//   bench_program repaint [repaints]       one repaint of the bar graph with all bars drawn,
//                                          in processor time of the GUI thread

#include "bench/benchRow.h"
#include "board/board.h"
#include "bus/headLink.h"
#include "bus/quarnBus.h"
#include "screens/bargraph.h"
#include "shell/quarn24ex.h"
#include "shell/slidingstackedwidget.h"
#include "shell/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

double monotonicMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double threadMs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// User plus system time of every thread of this process so far.
double processMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Quarn24EX* mainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Quarn24EX*>(widget))
            return window;
    return nullptr;
}

// Time the main thread has spent waiting for a processor while runnable, from the
// scheduler's statistics: on a machine shared with other builds it is most of the wall time.
double runQueueWaitMs()
{
    QFile file(QStringLiteral("/proc/self/schedstat"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = file.readAll().simplified().split(' ');
    return fields.value(1).toDouble() / 1e6;
}

// Runs the event loop until done() holds or the time is up, asleep between looks: a busy
// loop here would count as the program's own processor time.
bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > timeoutMs)
            loop.quit();
    });
    look.start(10);
    loop.exec();
    return done();
}

// Shows a page and waits until its slide has ended (slow under valgrind).
QWidget* showPage(Quarn24EX* window, void (Quarn24EX::*slot)(), Quarn24EX::Page page)
{
    (window->*slot)();
    auto* stack = window->findChild<SlidingStackedWidget*>();
    QWidget* shown = window->page(page);
    waitFor([&] { return shown->isVisible() && !stack->isSliding(); }, 20000);
    return shown;
}

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The line of the touch and repaint benches: notes when the first frame after arm() is
// written; nothing answers.
class RecordingLine : public QIODevice
{
public:
    RecordingLine() { open(QIODevice::ReadWrite); }
    bool isSequential() const override { return true; }
    void arm() { m_writtenAtMs = -1; }
    double writtenAtMs() const { return m_writtenAtMs; }

protected:
    qint64 readData(char*, qint64) override { return 0; }
    qint64 writeData(const char*, qint64 size) override
    {
        if (m_writtenAtMs < 0)
            m_writtenAtMs = monotonicMs();
        return size;
    }

private:
    double m_writtenAtMs = 0;
};

// Sees the first paint of the main window and reports once it has been painted whole.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(std::function<void()> painted) : m_painted(std::move(painted)) {}

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && object->isWidgetType() &&
            qobject_cast<Quarn24EX*>(static_cast<QWidget*>(object)->window())) {
            m_seen = true;
            // The rest of the window paints in this same pass; the timer fires after it.
            QTimer::singleShot(0, qApp, m_painted);
        }
        return false;
    }

private:
    std::function<void()> m_painted;
    bool m_seen = false;
};

struct Sandbox
{
    QTemporaryDir dir;
    QString root() const { return dir.path() + QStringLiteral("/board"); }

    void use(const QString& serialDevice) const
    {
        Board::UseSandbox(root(), serialDevice);
        Board::Get().PrepareSandbox();
    }
};

// One start in this process: prints "@startup <monotonic ms at first paint> <process ms>
// <ms waited for a processor>"
// and then "@rss <KiB>" after painting every page.
int startupOnce(QApplication& app)
{
    const Sandbox sandbox;
    sandbox.use(sandbox.root() + QStringLiteral("/dev/no-line")); // no head: the line stays shut
    FirstPaint filter([&app] {
        std::printf("@startup %.3f %.3f %.3f\n", monotonicMs(), processMs(), runQueueWaitMs());
        Quarn24EX* window = mainWindow();
        // Every page of every stack, the setup pages' own among them, whatever pages exist.
        for (QStackedWidget* stack : window->findChildren<QStackedWidget*>())
            for (int page = 0; page < stack->count(); ++page)
                stack->widget(page)->grab();
        window->doHomeScreen(); // the lower background picture
        window->grab();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("@rss %ld\n", usage.ru_maxrss);
        std::fflush(stdout);
        app.quit();
    });
    app.installEventFilter(&filter);
    return RunInstrument(app);
}

int startup(int runs)
{
    std::vector<double> walls;
    std::vector<double> running; // wall less the waits for a processor
    std::vector<double> cpus;
    std::vector<double> rss;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const double start = monotonicMs();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-once")});
        if (!child.waitForFinished(60000) || child.exitCode() != 0) {
            std::printf("start-up run %d failed\n", run);
            return 1;
        }
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.value(0) == "@startup" && f.size() == 4) {
                walls.push_back(f[1].toDouble() - start);
                cpus.push_back(f[2].toDouble());
                running.push_back(walls.back() - f[3].toDouble());
            } else if (f.value(0) == "@rss" && f.size() == 2) {
                rss.push_back(f[1].toDouble() / 1024);
            }
        }
    }
    if (walls.size() != size_t(runs) || rss.size() != size_t(runs)) {
        std::printf("start-up runs reported nothing\n");
        return 1;
    }
    const double best = *std::min_element(running.begin(), running.end());
    std::printf("start-up to first paint over %d runs: wall best %.1f ms, median %.1f ms; less "
                "the main thread's waits for a processor best %.1f ms, median %.1f ms; processor "
                "time best %.1f ms; peak RSS median %.1f MiB\n",
                runs, *std::min_element(walls.begin(), walls.end()), median(walls), best,
                median(running), *std::min_element(cpus.begin(), cpus.end()), median(rss));
    BenchRow("start-up to first paint", best, "ms", Better::Lower, 400);
    BenchRow("peak RSS, every page painted", median(rss), "MiB", Better::Lower, 60);
    return 0;
}

// Whole program against the simulated head at a rate, on the chart page.
int load(QApplication& app, int rate, int windows, int seconds, const QString& headSim)
{
    const Sandbox sandbox;
    const QString link = sandbox.dir.path() + QStringLiteral("/ttyHEAD");
    QProcess head;
    head.setProcessChannelMode(QProcess::ForwardedChannels);
    head.start(headSim,
               {QStringLiteral("--link"), link, QStringLiteral("--rate"), QString::number(rate),
                QStringLiteral("--log"), sandbox.dir.path() + QStringLiteral("/headsim.log")});
    if (!waitFor([&] { return QFile::exists(link); }, 10000)) {
        std::printf("the simulated head did not start (%s)\n", qPrintable(headSim));
        return 1;
    }
    sandbox.use(link);

    int code = 0;
    QTimer::singleShot(0, &app, [&] {
        Quarn24EX* window = mainWindow();
        qint64 results = 0;
        QObject::connect(QuarnBus::Get(), &QuarnBus::newMsg, &app, [&results](QuarnBusMsg msg) {
            if (msg.type == eQuarnGetResultResponseMsg)
                ++results;
        });
        showPage(window, &Quarn24EX::doChartRecorder, Quarn24EX::eChartPage);
        waitMs(2000); // the head's answers to the start-up requests
        std::vector<double> shares;
        std::vector<double> rates;
        for (int w = 0; w < windows; ++w) {
            const double wall = monotonicMs();
            const double cpu = processMs();
            const qint64 before = results;
            waitMs(seconds * 1000);
            const double elapsed = monotonicMs() - wall;
            shares.push_back(100 * (processMs() - cpu) / elapsed);
            rates.push_back((results - before) * 1000 / elapsed);
        }
        const double best = *std::min_element(shares.begin(), shares.end());
        std::printf("%d results/s on the chart page: %.1f results/s arrived; processor share "
                    "best %.2f %%, median %.2f %% of one core (%d windows of %d s)\n",
                    rate, median(rates), best, median(shares), windows, seconds);
        if (median(rates) < rate * 0.9) {
            std::printf("the head's results did not arrive at the rate\n");
            code = 1;
        }
        char name[64];
        std::snprintf(name, sizeof name, "program at %d results/s, chart", rate);
        BenchRow(name, best, "% core", Better::Lower, rate >= 200 ? 15 : 3);
        app.quit();
    });
    const int exitCode = RunInstrument(app);
    head.terminate();
    head.waitForFinished(5000);
    return code ? code : exitCode;
}

// The recording line never answers: the program would call the head silent after a few
// seconds, ask it again and open a notice over the page the bench touches.
void ignoreSilentHead()
{
    QuarnBus::Get()->headLink()->setSilentAfter(24 * 3600 * 1000);
}

int touch(QApplication& app, int touches)
{
    const Sandbox sandbox;
    sandbox.use(sandbox.root() + QStringLiteral("/dev/no-line"));
    int code = 0;
    RecordingLine* line = nullptr;
    QuarnBus::Install(line = new RecordingLine);
    QTimer::singleShot(0, &app, [&] {
        ignoreSilentHead();
        Quarn24EX* window = mainWindow();
        QWidget* bars = showPage(window, &Quarn24EX::doBarGraph, Quarn24EX::eBarGraphPage);
        QWindow* handle = window->windowHandle();
        std::vector<double> latencies;
        for (int i = 0; i < touches; ++i) {
            // Upper then lower half of the power bar: the level goes up and down again.
            const QPoint at = bars->mapTo(window, QPoint(40, i % 2 ? 180 : 60));
            line->arm();
            const double start = monotonicMs();
            QTest::mousePress(handle, Qt::LeftButton, {}, at);
            waitFor([&] { return line->writtenAtMs() >= 0; }, 1000);
            if (line->writtenAtMs() >= 0)
                latencies.push_back(line->writtenAtMs() - start);
            QTest::mouseRelease(handle, Qt::LeftButton, {}, at);
            QCoreApplication::processEvents();
        }
        if (latencies.size() < size_t(touches)) {
            std::printf("%zu of %d touches sent no frame\n", touches - latencies.size(), touches);
            code = 1;
        } else {
            std::printf("touch to frame on the line (%d touches on the power bar): median %.3f "
                        "ms, best %.3f ms, worst %.3f ms\n",
                        touches, median(latencies),
                        *std::min_element(latencies.begin(), latencies.end()),
                        *std::max_element(latencies.begin(), latencies.end()));
            BenchRow("touch to frame on the line", median(latencies), "ms", Better::Lower, 2);
        }
        app.quit();
    });
    const int exitCode = RunInstrument(app);
    return code ? code : exitCode;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

int repaint(QApplication& app, int repaints)
{
    const Sandbox sandbox;
    sandbox.use(sandbox.root() + QStringLiteral("/dev/no-line"));
    QuarnBus::Install(new RecordingLine);
    int code = 0;
    QTimer::singleShot(0, &app, [&] {
        ignoreSilentHead();
        Quarn24EX* window = mainWindow();
        auto* bars = static_cast<Bargraph*>(
            showPage(window, &Quarn24EX::doBarGraph, Quarn24EX::eBarGraphPage));
        PaintCounter painted;
        bars->installEventFilter(&painted);
        // The best of several batches: a busy machine's interruptions stay out of one of them.
        const auto best = [&](const std::function<void(int)>& once) {
            double fastest = 1e9;
            for (int batch = 0; batch < 10; ++batch) {
                const double start = threadMs();
                for (int i = 0; i < repaints; ++i)
                    once(batch * repaints + i);
                fastest = std::min(fastest, (threadMs() - start) / repaints);
            }
            return fastest;
        };
        // As a result arrives: new heights of all three bars, and the repaint they ask for.
        const double perResult = best([&](int i) {
            bars->NewHarmonicData(15 + i % 2, 40 + (i * 7) % 200, 30 + (i * 13) % 200);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        });
        const int perResultPaints = painted.count;
        // The whole page with its buttons, as after a page change or a setting.
        const double whole = best([&](int) { bars->repaint(); });
        std::printf("bar graph repaint (10 batches of %d): after a result that moves every bar "
                    "best %.3f ms, the whole page best %.3f ms\n",
                    repaints, perResult, whole);
        if (perResultPaints != 10 * repaints) {
            std::printf("%d results painted %d times\n", 10 * repaints, perResultPaints);
            code = 1;
        }
        BenchRow("bar graph repaint after a result", perResult, "ms", Better::Lower, 0.3);
        app.quit();
    });
    const int exitCode = RunInstrument(app);
    return code ? code : exitCode;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keeps the runtime and configuration files of the run out of the user's home.
    const QTemporaryDir home;
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    const auto arg = [&](int i, int fallback) {
        return argc > i ? std::max(1, atoi(argv[i])) : fallback;
    };
    if (mode == "startup") {
        QCoreApplication app(argc, argv);
        return startup(arg(2, 7));
    }
    QApplication app(argc, argv);
    if (mode == "--startup-once")
        return startupOnce(app);
    if (mode == "load")
        return load(app, arg(2, 20), arg(3, 4), arg(4, 4), QStringLiteral(QUARN_HEADSIM_PATH));
    if (mode == "touch")
        return touch(app, arg(2, 200));
    if (mode == "repaint")
        return repaint(app, arg(2, 200));
    std::printf("usage: bench_program startup|load RATE|touch|repaint [count]\n");
    return 2;
}
