// Per-tick cost of the chart (shift the four histories, replot offscreen on a 240 x 320
// window) and per-cycle cost of the spectral processing (window, two transforms, dB and the
// arrays the curves read), as processor time of the GUI thread: on a shared machine the
// wall clock also counts the time other programs had the processor.
//   bench_views [chart ticks] [spectral cycles]

#include "bench/benchRow.h"
#include "board/board.h"
#include "bus/quarnBus.h"
#include "resources/quarnResources.h"
#include "screens/chartdisplay.h"
#include "screens/chartrecorder.h"
#include "screens/harmonicsAnalyzer.h"
#include "screens/spectrumCalculator.h"
#include "settings/userSettingsStore.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>

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

double chartTickMs(int ticks)
{
    QWidget window;
    window.setFixedSize(240, 320);
    auto* page = new ChartDisplay(&window);
    page->setGeometry(0, 40, 240, 280);
    window.show();
    ChartRecorder* recorder = page->recorder();
    recorder->setPlotDuration(1000000); // the bench ticks, not the timer
    QCoreApplication::processEvents();

    // Fill the history with moving traces first: a tick on a full window is the cost.
    const auto feedAndTick = [&](int i) {
        recorder->NewHarmonicData(15, int(120 + 110 * std::sin(i * 0.05)),
                                  int(120 + 110 * std::cos(i * 0.03)));
        recorder->advance();
        QCoreApplication::processEvents(); // the replot paints here
    };
    for (int i = 0; i < ChartRecorder::kHistory; ++i)
        feedAndTick(i);
    const double start = threadMs();
    for (int i = 0; i < ticks; ++i)
        feedAndTick(i);
    return (threadMs() - start) / ticks;
}

double spectralCycleUs(int cycles)
{
    std::mt19937 rng(3);
    const QByteArray second = block(rng, 32);
    const QByteArray third = block(rng, 48);
    SpectrumCalculator calculator;
    calculator.process(second, third);
    const double start = threadMs();
    for (int i = 0; i < cycles; ++i)
        calculator.process(second, third);
    const double us = (threadMs() - start) * 1e3 / cycles;
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
    const int ticks = argc > 1 ? qMax(1, std::atoi(argv[1])) : 600;
    const int cycles = argc > 2 ? qMax(1, std::atoi(argv[2])) : 20000;

    Board::UseSandbox(sandbox.path(), sandbox.path() + QStringLiteral("/dev/ttyO1"));
    Board::Get().PrepareSandbox();
    QuarnResources::Init();
    QuarnBus::Install(new NullLine);
    UserSettingsStore::Configure();

    const double tick = chartTickMs(ticks);
    const double cycle = spectralCycleUs(cycles);
    std::printf("chart tick (%d ticks on a full history, offscreen 240 x 320): %.3f ms\n", ticks,
                tick);
    std::printf("spectral cycle (%d cycles): %.1f us\n", cycles, cycle);
    BenchRow("chart tick", tick, "ms", Better::Lower, 1);
    BenchRow("spectral cycle", cycle, "us", Better::Lower, 100);
    return 0;
}
