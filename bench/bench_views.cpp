// Per-tick cost of the chart at each time span (shift the four histories, replot offscreen
// on a 240 x 320 window) and per-cycle cost of the spectral processing (window, two
// transforms, dB and the arrays the curves read), as processor time of the GUI thread: on a
// shared machine the wall clock also counts the time other programs had the processor.
// Under callgrind the same loops are counted in instructions (bench/instructionCount.h).
//   bench_views [chart [ticks] | spectral [cycles]]     both without a word
#include "bench/benchRow.h"
#include "bench/instructionCount.h"
#include "board/board.h"
#include "bus/quarnBus.h"
#include "resources/quarnResources.h"
#include "screens/chartdisplay.h"
#include "screens/chartrecorder.h"
#include "screens/harmonicsAnalyzer.h"
#include "screens/spectrumCalculator.h"
#include "settings/userSettingsStore.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <set>
#include <vector>

namespace {

double threadMs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The bus writes here; nothing answers.
class NullLine : public QIODevice
{
public:
    NullLine() { open(QIODevice::ReadWrite); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return 0; }
    qint64 writeData(const char*, qint64 size) override { return size; }
};

// A block as the radio sends it: a tone over noise.
QByteArray block(std::mt19937& rng, int bin)
{
    std::normal_distribution<float> noise(0, 13);
    QByteArray bytes(SpectrumCalculator::kBlockBytes, '\0');
    for (int n = 0; n < SpectrumCalculator::kPoints; ++n) {
        const double phase = 2 * M_PI * bin * n / SpectrumCalculator::kPoints;
        const float pair[2] = {float(300 * std::cos(phase)) + noise(rng),
                               float(300 * std::sin(phase)) + noise(rng)};
        std::memcpy(bytes.data() + 8 * n, pair, sizeof pair); // little-endian host
    }
    return bytes;
}

// Swallows the chart's own tick timer: the bench ticks by hand, and under valgrind, where a
// tick takes longer than the period, the timer would add ticks of its own to the count.
class TickTimerFilter : public QObject
{
public:
    // Adds the timers of the period under root: the chart's tick, however it keeps it.
    void clear() { m_ids.clear(); }
    void hold(QObject* root, int periodMs)
    {
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        QList<QObject*> objects = root->findChildren<QObject*>();
        objects.append(root);
        for (QObject* object : objects)
            for (const QAbstractEventDispatcher::TimerInfo& timer :
                 dispatcher->registeredTimers(object))
                if (timer.interval == periodMs)
                    m_ids.insert(timer.timerId);
    }
    size_t held() const { return m_ids.size(); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        return event->type() == QEvent::Timer &&
               m_ids.count(static_cast<QTimerEvent*>(event)->timerId()) != 0;
    }

private:
    std::set<int> m_ids;
};

struct Span
{
    int periodMs;
    const char* name;
};
constexpr Span kSpans[] = {
    {30, "chart tick, 10 s span"},
    {65, "chart tick, 20 s span"},
    {100, "chart tick, 30 s span"},
    {200, "chart tick, 60 s span"},
};

// Milliseconds a tick at each span, on a full history.
std::vector<double> chartTickMs(int ticks)
{
    QWidget window;
    window.setFixedSize(240, 320);
    auto* page = new ChartDisplay(&window);
    page->setGeometry(0, 40, 240, 280);
    window.show();
    ChartRecorder* recorder = page->recorder();
    TickTimerFilter timers;
    qApp->installEventFilter(&timers);
    QCoreApplication::processEvents();

    const auto feedAndTick = [&](int i) {
        recorder->NewHarmonicData(15, int(120 + 110 * std::sin(i * 0.05)),
                                  int(120 + 110 * std::cos(i * 0.03)));
        recorder->advance();
        QCoreApplication::processEvents(); // the replot paints here
    };
    std::vector<double> perTick;
    for (const Span& span : kSpans) {
        recorder->setPlotDuration(span.periodMs);
        // Fill the history with moving traces first: a tick on a full window is the cost.
        // The timer is held before (a recorder that keeps it always) and after (one that
        // starts it at its first result).
        timers.clear();
        timers.hold(&window, span.periodMs);
        for (int i = 0; i < ChartRecorder::kHistory; ++i)
            feedAndTick(i);
        timers.hold(&window, span.periodMs);
        if (timers.held() == 0)
            std::printf("no timer of %d ms found for the chart's tick\n", span.periodMs);
        InstructionCount count(span.name, ticks);
        const double start = threadMs();
        for (int i = 0; i < ticks; ++i)
            feedAndTick(i);
        perTick.push_back((threadMs() - start) / ticks);
    }
    qApp->removeEventFilter(&timers);
    return perTick;
}

double spectralCycleUs(int cycles)
{
    std::mt19937 rng(3);
    const QByteArray second = block(rng, 32);
    const QByteArray third = block(rng, 48);
    SpectrumCalculator calculator;
    calculator.process(second, third);
    double us = 0;
    {
        InstructionCount count("spectral cycle", cycles);
        const double start = threadMs();
        for (int i = 0; i < cycles; ++i)
            calculator.process(second, third);
        us = (threadMs() - start) * 1e3 / cycles;
    }
    // Keeps the work observable.
    if (calculator.spectrum2nd()[SpectrumCalculator::DisplayIndex(32)] < -1000)
        std::printf("unexpected spectrum\n");
    return us;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    qputenv("XDG_RUNTIME_DIR", sandbox.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    const bool chart = mode.isEmpty() || mode == "chart";
    const bool spectral = mode.isEmpty() || mode == "spectral";
    if (!chart && !spectral) {
        std::printf("usage: bench_views [chart [ticks] | spectral [cycles]]\n");
        return 2;
    }
    // Under valgrind, fewer of the same: the counts are per tick and per cycle.
    const bool counting = InstructionCount::counting();
    const int count = argc > 2 ? qMax(1, std::atoi(argv[2])) : 0;
    const int ticks = count ? count : counting ? 60 : 600;
    const int cycles = count ? count : counting ? 2000 : 20000;

    Board::UseSandbox(sandbox.path(), sandbox.path() + QStringLiteral("/dev/ttyO1"));
    Board::Get().PrepareSandbox();
    QuarnResources::Init();
    QuarnBus::Install(new NullLine);
    UserSettingsStore::Configure();

    if (chart) {
        const std::vector<double> perTick = chartTickMs(ticks);
        for (size_t i = 0; i < perTick.size(); ++i) {
            std::printf("%s (%d ticks of %d ms on a full history, offscreen 240 x 320): %.3f "
                        "ms\n",
                        kSpans[i].name, ticks, kSpans[i].periodMs, perTick[i]);
            BenchRow(kSpans[i].name, perTick[i], "ms", Better::Lower, 0.2);
        }
    }
    if (spectral) {
        const double cycle = spectralCycleUs(cycles);
        std::printf("spectral cycle (%d cycles): %.1f us\n", cycles, cycle);
        BenchRow("spectral cycle", cycle, "us", Better::Lower, 100);
    }
    return 0;
}
