#include "screens/spectrumCalculator.h"
#include "sim/radController.h"
#include "sim/simScenario.h"
#include "tests/support/quarnTest.h"

#include <algorithm>

class TestSimScenario : public QObject
{
    Q_OBJECT
private slots:
    void sweep_passesSemiconductorThenCorrosiveThenNothing()
    {
        const SimScenario s(SimScenario::Kind::Sweep, 1);
        const auto semi = s.strength(SimScenario::kSemiconductorAt);
        const auto corrosive = s.strength(SimScenario::kCorrosiveAt);
        const auto after = s.strength(14.5);
        QVERIFY(semi.harm2nd > 0.9 && semi.harm3rd < 0.4);
        QVERIFY(corrosive.harm3rd > 0.9 && corrosive.harm2nd < 0.4);
        QVERIFY(after.harm2nd < 0.01 && after.harm3rd < 0.01);
        // The cycle repeats.
        QCOMPARE(s.strength(SimScenario::kSemiconductorAt + SimScenario::kCycleSeconds).harm2nd,
                 semi.harm2nd);
    }

    void noise_dependsOnSeedAndSampleOnly()
    {
        const SimScenario a(SimScenario::Kind::Quiet, 5);
        const SimScenario b(SimScenario::Kind::Quiet, 5);
        const SimScenario other(SimScenario::Kind::Quiet, 6);
        int differences = 0;
        for (quint64 i = 0; i < 50; ++i) {
            const auto x = a.reading(i, 0, 20);
            const auto y = b.reading(i, 0, 20);
            const auto z = other.reading(i, 0, 20);
            QCOMPARE(x.harm2nd, y.harm2nd);
            QCOMPARE(x.harm3rd, y.harm3rd);
            differences += x.harm2nd != z.harm2nd || x.harm3rd != z.harm3rd;
        }
        QVERIFY(differences > 10);
    }

    void ambientLevels_oneLevelPerStep_withInterferersAboveTheFloor()
    {
        SimScenario s(SimScenario::Kind::Quiet, 1);
        const QByteArray transmit = s.ambientLevels(0, 100);
        QCOMPARE(transmit.size(), 100);
        QVERIFY(quint8(transmit.at(15)) > 100); // interferer at 15 % of the band
        QVERIFY(quint8(transmit.at(40)) < 40);
        QVERIFY(quint8(s.ambientLevels(1, 100).at(45)) > 80);
    }

    // Each receiver's target at full strength and full power, through the spectral view's
    // own processing: the 3rd's samples come 13 dB lower, and its offset makes up for it.
    void fftBlocks_showBothReceiversAlike_inTheSpectralViewsRange()
    {
        SimScenario semiconductor(SimScenario::Kind::Semiconductor, 3);
        SimScenario corrosive(SimScenario::Kind::Corrosive, 3);
        SpectrumCalculator view;
        view.process(RadController::encodeFftBlock(semiconductor.fftBlock(2, 0, 20)),
                     RadController::encodeFftBlock(corrosive.fftBlock(3, 0, 20)));
        const double peak2nd =
            view.spectrum2nd()[SpectrumCalculator::DisplayIndex(SimScenario::kTargetBin2nd)];
        const double peak3rd =
            view.spectrum3rd()[SpectrumCalculator::DisplayIndex(SimScenario::kTargetBin3rd)];
        QVERIFY2(std::abs(peak2nd - peak3rd) < 0.5, qPrintable(QString::number(peak2nd - peak3rd)));
        QVERIFY(peak2nd < -85 && peak2nd > -100); // below the plot's top (-80)

        // The noise floor sits well above the plot's bottom (-160) on both.
        std::vector<double> floor2nd(view.spectrum2nd(), view.spectrum2nd() + 512);
        std::vector<double> floor3rd(view.spectrum3rd(), view.spectrum3rd() + 512);
        std::nth_element(floor2nd.begin(), floor2nd.begin() + 256, floor2nd.end());
        std::nth_element(floor3rd.begin(), floor3rd.begin() + 256, floor3rd.end());
        QVERIFY(floor2nd[256] > -155 && floor2nd[256] < -135);
        QVERIFY(std::abs(floor2nd[256] - floor3rd[256]) < 3);
    }

    // A seed gives the same block on the board's build as on the desktop's: these are the
    // x86 build's samples (the armhf build once drew the noise's two parts the other way).
    void fftBlock_sameSamplesOnEveryBuild()
    {
        SimScenario quiet(SimScenario::Kind::Quiet, 7);
        const std::vector<std::complex<float>> block = quiet.fftBlock(2, 0, 0);
        const std::complex<float> expected[] = {{-92.5114f, -1.34142f}, {-45.9525f, 40.5607f}};
        for (int i = 0; i < 2; ++i) {
            QVERIFY2(std::abs(block[size_t(i)] - expected[i]) < 1e-3f,
                     qPrintable(QStringLiteral("sample %1: %2 %3")
                                    .arg(i)
                                    .arg(double(block[size_t(i)].real()))
                                    .arg(double(block[size_t(i)].imag()))));
        }
    }

    void kindFromName_knowsEveryName()
    {
        for (const QString& name : SimScenario::names())
            QVERIFY(SimScenario::kindFromName(name).has_value());
        QVERIFY(SimScenario::kindFromName("sweep") == SimScenario::Kind::Sweep);
        QVERIFY(!SimScenario::kindFromName("storm"));
    }
};

QUARN_TEST_MAIN(TestSimScenario)
#include "tst_simScenario.moc"
