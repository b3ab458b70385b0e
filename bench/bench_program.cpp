// The whole program in this process, started as the desktop build starts it (sandboxed
// board, offscreen panel), measured from inside:
//   bench_program startup [runs]           exec to the first painted screen, best of runs
//                                          (each a fresh process); peak RSS once every page
//                                          has been painted with its pictures
//   bench_program load RATE [PAGE [windows [s]]]
//                                          processor share of the program (all its threads,
//                                          from getrusage) with PAGE showing (chart unless
//                                          named) while the simulated head sends RATE results
//                                          a second (0: none, the program idle); the quietest
//                                          of several windows
//   bench_program frames PAGE [frames]     one result frame pushed into a fake line with PAGE
//                                          showing, through receiver, dispatcher, analyzer and
//                                          the page to its repaint, in processor time of the
//                                          GUI thread
//   bench_program touch [touches]          a touch on the bar graph's power bar, through the
//                                          platform's input path, to its frame on the line
//   bench_program repaint [repaints]       one repaint of the bar graph with all bars drawn,
//                                          in processor time of the GUI thread
// PAGE: home, bargraph, chart, keypad, scan, setup or spectral. Under callgrind the same work
// is counted in instructions (bench/instructionCount.h): load counts one window a second.

#include "bench/benchRow.h"
#include "bench/instructionCount.h"
#include "board/board.h"
#include "bus/headLink.h"
#include "bus/quarnBus.h"
#include "bus/quarnBusMsg.h"
#include "screens/bargraph.h"
#include "screens/chartdisplay.h"
#include "screens/chartrecorder.h"
#include "screens/spectralAnalysis.h"
#include "settings/chartTimeUserSetting.h"
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
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
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

struct PageEntry
{
    const char* name;
    void (Quarn24EX::*show)();
    Quarn24EX::Page page;
};
const PageEntry kPages[] = {
    {"home", &Quarn24EX::doHomeScreen, Quarn24EX::eHomePage},
    {"bargraph", &Quarn24EX::doBarGraph, Quarn24EX::eBarGraphPage},
    {"chart", &Quarn24EX::doChartRecorder, Quarn24EX::eChartPage},
    {"keypad", &Quarn24EX::doKeypad, Quarn24EX::eKeypadPage},
    {"scan", &Quarn24EX::doFreqScan, Quarn24EX::eFreqScanPage},
    {"setup", &Quarn24EX::doSetupScreen, Quarn24EX::eSetupPage},
    {"spectral", &Quarn24EX::doSpectral, Quarn24EX::eSpectralPage},
};

const PageEntry* findPage(const QByteArray& name)
{
    for (const PageEntry& entry : kPages)
        if (name == entry.name)
            return &entry;
    return nullptr;
}

// Shows a page as the user reaches it: the spectral page's cycle starts as the home
// screen's button (and the program at power-on) starts it.
QWidget* showPage(Quarn24EX* window, const PageEntry& entry)
{
    QWidget* shown = showPage(window, entry.show, entry.page);
    if (entry.page == Quarn24EX::eSpectralPage)
        static_cast<SpectralAnalysis*>(shown)->startTimer();
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

// A line the bench pushes the head's bytes into: like a serial port it raises readyRead
// from the event loop once bytes have arrived. What the program writes goes nowhere.
class PushLine : public QIODevice
{
public:
    PushLine() { open(QIODevice::ReadWrite | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_pending.size() - m_taken + QIODevice::bytesAvailable();
    }
    void push(const QByteArray& bytes)
    {
        m_pending.append(bytes);
        QMetaObject::invokeMethod(
            this, [this] { emit readyRead(); }, Qt::QueuedConnection);
    }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        const qint64 n = qMin<qint64>(max, m_pending.size() - m_taken);
        std::memcpy(out, m_pending.constData() + m_taken, size_t(n));
        m_taken += int(n);
        if (m_taken == m_pending.size()) {
            m_pending.clear();
            m_taken = 0;
        }
        return n;
    }
    qint64 writeData(const char*, qint64 size) override { return size; }

private:
    QByteArray m_pending;
    int m_taken = 0;
};

// Counts, for the main thread, the paint events of the main window's widgets and the timer
// events of the chart (its ticks, however it keeps them) and of everything else.
class EventTally : public QObject
{
public:
    explicit EventTally(QObject* chart) : m_chart(chart) { qApp->installEventFilter(this); }
    ~EventTally() override { qApp->removeEventFilter(this); }
    qint64 paints = 0;
    qint64 chartTicks = 0;
    qint64 otherTimers = 0;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
        } else if (event->type() == QEvent::Timer) {
            QObject* up = object;
            while (up && up != m_chart)
                up = up->parent();
            ++(up ? chartTicks : otherTimers);
        }
        return false;
    }

private:
    QObject* m_chart;
};

// One result record as the radio sends it (byte 47 the transmit power, 48 the mode, 49 and
// 50 the harmonics), the readings moving slowly as a real target's do.
QByteArray resultFrame(int n)
{
    QByteArray body(51, 0);
    body[0] = char(n & 0xFF);
    body[1] = char((n >> 8) & 0xFF);
    body[47] = char(15);
    body[48] = char(1);
    body[49] = char(120 + 110 * std::sin(n * 0.05));
    body[50] = char(120 + 110 * std::cos(n * 0.03));
    return QuarnBusMsg(eQuarnGetResultResponseMsg, BusId::Tsc, 0, body).serializeFrom(BusId::Rad);
}

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
    BenchRow("peak RSS, every page painted", median(rss), "MiB", Better::Lower, 40);
    return 0;
}

// Whole program against the simulated head at a rate, on a page. Under valgrind the
// program runs some 50 times slower while the head, a child process, runs natively: one
// longer window is counted, per second of wall time, and what arrived in it is printed, so
// that a program that could not keep up shows.
int load(QApplication& app, int rate, const PageEntry& page, int windows, int seconds,
         const QString& headSim)
{
    const bool counting = InstructionCount::counting();
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
        EventTally tally(
            static_cast<ChartDisplay*>(window->page(Quarn24EX::eChartPage))->recorder());
        showPage(window, page);
        waitMs(counting ? 6000 : 2000); // the head's answers to the start-up requests
        auto* chart = static_cast<ChartDisplay*>(window->page(Quarn24EX::eChartPage))->recorder();
        if (page.page == Quarn24EX::eChartPage) {
            // The shortest span ticks most often: 30 ms.
            ChartTimeUserSetting().Set(eChartTime::TenSeconds);
            waitFor([&] { return chart->tickPeriod() == 30; }, 5000);
            std::printf("chart ticking every %d ms\n", chart->tickPeriod());
        }
        const double settled = monotonicMs();
        tally.chartTicks = 0;

        const std::string name =
            rate > 0 ? "program at " + std::to_string(rate) + " results/s, " + page.name
                     : std::string("program idle, ") + page.name;
        std::vector<double> shares;
        std::vector<double> rates;
        for (int w = 0; w < (counting ? 1 : windows); ++w) {
            const qint64 resultsBefore = results;
            const qint64 ticksBefore = tally.chartTicks;
            InstructionCount count(name);
            const double wall = monotonicMs();
            const double cpu = processMs();
            waitMs((counting ? 8 : seconds) * 1000);
            const double elapsed = monotonicMs() - wall;
            count.setSeconds(elapsed / 1000);
            count.end();
            shares.push_back(100 * (processMs() - cpu) / elapsed);
            rates.push_back((results - resultsBefore) * 1000 / elapsed);
            // Lines for scripts/bench to show beside the counts of the run.
            if (counting)
                std::printf("@count %s: a counted window of %.1f s, %lld results (%.1f a "
                            "second), %lld chart ticks\n",
                            name.c_str(), elapsed / 1000,
                            static_cast<long long>(results - resultsBefore), rates.back(),
                            static_cast<long long>(tally.chartTicks - ticksBefore));
        }
        const double best = *std::min_element(shares.begin(), shares.end());
        if (!counting)
            std::printf("%s: %.1f results/s arrived, %.1f chart ticks/s; processor share best "
                        "%.2f %%, median %.2f %% of one core (%d windows of %d s)\n",
                        name.c_str(), median(rates),
                        tally.chartTicks * 1000 / (monotonicMs() - settled), best, median(shares),
                        windows, seconds);
        // Under valgrind the program may not keep up with the head: the count then stands
        // for fewer results, said beside it. Natively the head or the harness is broken.
        if (median(rates) < rate * 0.9) {
            std::printf("%sresults arrived at %.1f a second, below 90 %% of %d\n",
                        counting ? "@count " : "", median(rates), rate);
            code = counting ? 0 : 1;
        }
        const double target = rate == 0                            ? 0.1
                              : rate >= 200                        ? 15
                              : page.page == Quarn24EX::eChartPage ? 0.5
                                                                   : 0.3;
        BenchRow(name.c_str(), best, "% core", Better::Lower, target);
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
        // Under valgrind one batch is counted.
        const int batches = InstructionCount::counting() ? 1 : 10;
        const auto best = [&](const std::function<void(int)>& once) {
            double fastest = 1e9;
            for (int batch = 0; batch < batches; ++batch) {
                const double start = threadMs();
                for (int i = 0; i < repaints; ++i)
                    once(batch * repaints + i);
                fastest = std::min(fastest, (threadMs() - start) / repaints);
            }
            return fastest;
        };
        // As a result arrives: new heights of all three bars, and the repaint they ask for.
        InstructionCount count("bar graph repaint after a result", batches * repaints);
        const double perResult = best([&](int i) {
            bars->NewHarmonicData(15 + i % 2, 40 + (i * 7) % 200, 30 + (i * 13) % 200);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        });
        count.end();
        const int perResultPaints = painted.count;
        // The whole page with its buttons, as after a page change or a setting.
        const double whole = best([&](int) { bars->repaint(); });
        std::printf("bar graph repaint (%d batches of %d): after a result that moves every bar "
                    "best %.3f ms, the whole page best %.3f ms\n",
                    batches, repaints, perResult, whole);
        if (perResultPaints != batches * repaints) {
            std::printf("%d results painted %d times\n", batches * repaints, perResultPaints);
            code = 1;
        }
        BenchRow("bar graph repaint after a result", perResult, "ms", Better::Lower, 0.3);
        app.quit();
    });
    const int exitCode = RunInstrument(app);
    return code ? code : exitCode;
}

// Result frames pushed into the line one at a time with a page showing, each followed by
// the events it posts and the paint they cause. The program's timers wait meanwhile (the
// chart's tick, the head's polls): what is measured is the frame's own path, receiver,
// dispatcher, analyzer, the page's subscribers and the repaint.
int frames(QApplication& app, const PageEntry& page, int count)
{
    const Sandbox sandbox;
    sandbox.use(sandbox.root() + QStringLiteral("/dev/no-line"));
    auto* line = new PushLine;
    QuarnBus::Install(line);
    QTimer::singleShot(0, &app, [&] {
        ignoreSilentHead();
        Quarn24EX* window = mainWindow();
        showPage(window, page);
        int n = 0;
        const auto frame = [&] {
            line->push(resultFrame(n++));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::X11ExcludeTimers);
        };
        // The first results change what the page shows (classification, bars from zero).
        for (int i = 0; i < 50; ++i)
            frame();
        const EventTally tally(
            static_cast<ChartDisplay*>(window->page(Quarn24EX::eChartPage))->recorder());
        const std::string name = std::string("result frame, ") + page.name + " page";
        const int batches = InstructionCount::counting() ? 1 : 10;
        double best = 1e9;
        {
            InstructionCount counted(name, batches * count);
            for (int batch = 0; batch < batches; ++batch) {
                const double start = threadMs();
                for (int i = 0; i < count; ++i)
                    frame();
                best = std::min(best, (threadMs() - start) / count);
            }
        }
        const int total = batches * count;
        if (InstructionCount::counting())
            std::printf("@count %s: %d frames, %.2f paint events a frame, %lld timer events "
                        "meanwhile\n",
                        name.c_str(), total, double(tally.paints) / total,
                        static_cast<long long>(tally.chartTicks + tally.otherTimers));
        else
            std::printf("%s (%d batches of %d frames): best %.4f ms a frame; %.2f paint events a "
                        "frame, %lld timer events meanwhile\n",
                        name.c_str(), batches, count, best, double(tally.paints) / total,
                        static_cast<long long>(tally.chartTicks + tally.otherTimers));
        BenchRow(name.c_str(), best, "ms");
        app.quit();
    });
    return RunInstrument(app);
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
    const bool counting = InstructionCount::counting();
    if (mode == "load" && argc > 2) {
        // The page is optional: the chart's, as before pages could be named.
        const bool named = argc > 3 && findPage(argv[3]);
        const PageEntry* page = named ? findPage(argv[3]) : findPage("chart");
        const int next = named ? 4 : 3;
        return load(app, std::max(0, atoi(argv[2])), *page, arg(next, 3), arg(next + 1, 3),
                    QStringLiteral(QUARN_HEADSIM_PATH));
    }
    if (mode == "frames" && argc > 2 && findPage(argv[2]))
        return frames(app, *findPage(argv[2]), arg(3, counting ? 50 : 100));
    if (mode == "touch")
        return touch(app, arg(2, 200));
    if (mode == "repaint")
        return repaint(app, arg(2, counting ? 100 : 200));
    std::printf("usage: bench_program startup [runs] | load RATE [PAGE [windows [s]]] | frames "
                "PAGE [frames] | touch [touches] | repaint [repaints]\n"
                "PAGE:");
    for (const PageEntry& page : kPages)
        std::printf(" %s", page.name);
    std::printf("\n");
    return 2;
}
