#include "screens/spectralAnalysis.h"
#include "screens/spectrumCalculator.h"
#include "settings/audioModeUserSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <qwt_plot.h>
#include <qwt_plot_curve.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

#include <memory>

#include <cstring>

namespace {
const QString kMissing = QStringLiteral("We have missing Spectral Data messages!!!!");
const QString kAsk2nd = QStringLiteral("to 4b: 112 p0 [02]");
const QString kAsk3rd = QStringLiteral("to 4b: 112 p0 [03]");

// A block of one complex value repeated: all its energy in bin 0.
QByteArray constantBlock(float re, float im)
{
    QByteArray block(SpectrumCalculator::kBlockBytes, '\0');
    for (int n = 0; n < SpectrumCalculator::kPoints; ++n) {
        std::memcpy(block.data() + 8 * n, &re, 4); // little-endian host
        std::memcpy(block.data() + 8 * n + 4, &im, 4);
    }
    return block;
}

const QwtPlotCurve* curve(const QwtPlot* plot, const char* title)
{
    for (const QwtPlotItem* item : plot->itemList(QwtPlotItem::Rtti_PlotCurve)) {
        if (item->title().text() == QLatin1String(title))
            return static_cast<const QwtPlotCurve*>(item);
    }
    return nullptr;
}
} // namespace

class TestSpectralAnalysis : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;
    std::unique_ptr<SpectralAnalysis> m_view;

    QStringList sent() { return BusTraffic::take(m_line); }
    QAbstractButton* button(const char* name) const
    {
        return m_view->findChild<QAbstractButton*>(QLatin1String(name));
    }
    QwtPlot* plotNamed(const char* name) const
    {
        return m_view->findChild<QwtPlot*>(QLatin1String(name));
    }

    // Pieces first .. first + count - 1 of the 16 that carry block, as the radio sends them.
    void answer(const QByteArray& block, int count = SpectralAnalysis::kResponsesPerBlock,
                int first = 0)
    {
        const int piece = SpectrumCalculator::kBlockBytes / SpectralAnalysis::kResponsesPerBlock;
        for (int i = first; i < first + count; ++i) {
            m_line->feed(QuarnBusMsg(eFftCorrelatedDataRespMsg, BusId::Tsc, char(i),
                                     block.mid(i * piece, piece))
                             .serializeFrom(BusId::Rad));
        }
    }

private slots:
    void initTestCase() { m_line = QuarnTest::InstallSettledLine(); }

    void init()
    {
        AudioModeUserSetting().SyncWithMasterValue((unsigned char)2);
        PowerLevelUserSetting().SyncWithMasterValue((unsigned char)5);
        m_view = std::make_unique<SpectralAnalysis>();
        m_view->resize(240, 280);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_line->takeWritten();
    }

    void cleanup() { m_view.reset(); }

    void entry_asksFor2ndThen3rd_andDrawsTheAnswers()
    {
        QElapsedTimer clock;
        clock.start();
        m_view->startTimer();
        QVERIFY(m_view->isAcquiring());
        QCOMPARE(m_view->acquisitionInterval(), SpectralAnalysis::kEntryDelayMs);
        QCOMPARE(sent(), QStringList()); // audio mode 2 stays
        QStringList traffic;
        QTRY_VERIFY((traffic += sent()).contains(kAsk2nd));
        QVERIFY(clock.elapsed() >= SpectralAnalysis::kEntryDelayMs - 5);
        QCOMPARE(m_view->acquisitionInterval(), SpectralAnalysis::kFirstCycleMs);

        answer(constantBlock(2, -1), SpectralAnalysis::kResponsesPerBlock - 1);
        QCOMPARE(sent(), QStringList());
        answer(constantBlock(2, -1), 1, SpectralAnalysis::kResponsesPerBlock - 1);
        QCOMPARE(sent(), QStringList{kAsk3rd});
        QCOMPARE(m_view->curvePoints2nd(), 0);
        answer(constantBlock(0.5, 0));
        QCOMPARE(m_view->curvePoints2nd(), SpectrumCalculator::kPoints);
        QCOMPARE(m_view->curvePoints3rd(), SpectrumCalculator::kPoints);
        QCOMPARE(sent(), QStringList());

        // The zero-frequency bin in the middle, on both.
        const SpectrumCalculator& spectra = m_view->spectra();
        for (int d = 0; d < SpectrumCalculator::kPoints; ++d) {
            QVERIFY(spectra.spectrum2nd()[d] <= spectra.spectrum2nd()[256]);
            QVERIFY(spectra.spectrum3rd()[d] <= spectra.spectrum3rd()[256]);
        }
        QVERIFY(curve(plotNamed("mainPlot"), "Spectral2nd"));
        QVERIFY(curve(plotNamed("mainPlot"), "Spectral3rd"));

        // The next cycles come every 500 ms and start empty.
        m_view->startData();
        QCOMPARE(sent(), QStringList{kAsk2nd});
        QCOMPARE(m_view->acquisitionInterval(), SpectralAnalysis::kCycleMs);
        QCOMPARE(m_view->curvePoints2nd(), 0);
    }

    // Answers of the last cycle: 2nd block, 3rd block; whether the cycle counts as short.
    void incompleteCycle_isReported_andAskedAfresh_data()
    {
        QTest::addColumn<int>("answers2nd");
        QTest::addColumn<int>("answers3rd");
        QTest::addColumn<bool>("missing");
        QTest::newRow("no answers at all") << 0 << 0 << false;
        QTest::newRow("15 of the 2nd") << 15 << 0 << true;
        QTest::newRow("2nd whole, no 3rd") << 16 << 0 << true;
        QTest::newRow("2nd whole, 1 of the 3rd") << 16 << 1 << true;
        QTest::newRow("both whole") << 16 << 16 << false;
    }

    void incompleteCycle_isReported_andAskedAfresh()
    {
        QFETCH(int, answers2nd);
        QFETCH(int, answers3rd);
        QFETCH(bool, missing);
        m_view->startData();
        answer(constantBlock(1, 1), answers2nd);
        answer(constantBlock(1, 1), answers3rd);
        sent();
        QuarnTest::LogCapture log;
        m_view->startData();
        QCOMPARE(log.contains(kMissing), missing);
        QCOMPARE(sent(), QStringList{kAsk2nd});
        // The count starts over: 16 answers complete the fresh 2nd block.
        answer(constantBlock(1, 1));
        QCOMPARE(sent(), QStringList{kAsk3rd});
    }

    void audioMode_toneGivesWayTo2ndFm_andComesBack_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("during");
        QTest::newRow("off") << 0 << 3;
        QTest::newRow("tone") << 1 << 3;
        QTest::newRow("2nd AM") << 2 << 2;
        QTest::newRow("3rd FM") << 5 << 5;
    }

    void audioMode_toneGivesWayTo2ndFm_andComesBack()
    {
        QFETCH(int, mode);
        QFETCH(int, during);
        AudioModeUserSetting().SyncWithMasterValue((unsigned char)mode);
        m_view->startTimer();
        QCOMPARE(AudioModeUserSetting().Get(), during);
        QCOMPARE(sent().size(), mode == during ? 0 : 1);
        QSignalSpy home(m_view.get(), &SpectralAnalysis::homeSelected);
        QTest::mouseClick(button("btnHome"), Qt::LeftButton);
        QCOMPARE(AudioModeUserSetting().Get(), mode);
        QVERIFY(!m_view->isAcquiring());
        QCOMPARE(home.count(), 1);
    }

    void splitView_putsThe3rdBeside_andHidesTheToggles()
    {
        QTest::mouseClick(button("btnRX2"), Qt::LeftButton);
        QVERIFY(!button("btnRX2")->isChecked());
        QwtPlot* main = plotNamed("mainPlot");
        QwtPlot* second = plotNamed("secondPlot");
        QCOMPARE(main->geometry(), QRect(0, 0, 170, 195));
        QVERIFY(!second->isVisibleTo(m_view.get()));

        QTest::mouseClick(button("pushButton"), Qt::LeftButton);
        QVERIFY(m_view->isSplitView());
        QCOMPARE(main->geometry(), QRect(0, 0, 85, 195));
        QCOMPARE(second->geometry(), QRect(85, 0, 85, 195));
        QVERIFY(second->isVisibleTo(m_view.get()));
        QVERIFY(!button("btnRX2")->isVisibleTo(m_view.get()));
        QVERIFY(!button("btnRX3")->isVisibleTo(m_view.get()));
        // Page coordinates: 65..149 and 150..234.
        QCOMPARE(main->mapTo(m_view.get(), QPoint(0, 0)).x(), 65);
        QCOMPARE(second->mapTo(m_view.get(), QPoint(84, 0)).x(), 234);

        m_view->startData();
        answer(constantBlock(1, 0));
        answer(constantBlock(1, 0));
        QVERIFY(curve(main, "Spectral2nd"));
        QVERIFY(!curve(main, "Spectral3rd"));
        QVERIFY(curve(second, "Spectral3rd"));
        QVERIFY(!curve(main, "Spectral2nd")->isVisible()); // the toggle still holds

        QTest::mouseClick(button("pushButton"), Qt::LeftButton);
        QVERIFY(!m_view->isSplitView());
        QVERIFY(button("btnRX2")->isVisibleTo(m_view.get()));
        QVERIFY(!button("btnRX2")->isChecked());
        QVERIFY(button("btnRX3")->isChecked());
        QVERIFY(!second->isVisibleTo(m_view.get()));
    }

    void powerUpFromZero_asksForASpectrumSoon()
    {
        PowerLevelUserSetting().SyncWithMasterValue((unsigned char)0);
        m_view->startData();
        QCOMPARE(m_view->acquisitionInterval(), SpectralAnalysis::kFirstCycleMs);
        QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 117));
        QCOMPARE(int(PowerLevelUserSetting().Get()), 1);
        QVERIFY(m_view->isAcquiring());
        QCOMPARE(m_view->acquisitionInterval(), SpectralAnalysis::kEntryDelayMs);

        m_view->startData();
        QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 117));
        QCOMPARE(int(PowerLevelUserSetting().Get()), 2);
        QCOMPARE(m_view->acquisitionInterval(), SpectralAnalysis::kCycleMs);
        QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(51, 117));
        QCOMPARE(int(PowerLevelUserSetting().Get()), 2); // right of the bar
    }

    void powerBar_drawnFromItsOriginAtX3()
    {
        m_view->NewHarmonicData(20, 0, 0);
        const QVector<PowerBarScreen::Placement> p = m_view->placements();
        QCOMPARE(p.first(), (PowerBarScreen::Placement{PowerBarScreen::eSliderBar, 3, 25}));
        QVERIFY(p.contains({PowerBarScreen::ePowerScale, 36, 35}));
        QVERIFY(p.contains({PowerBarScreen::ePowerBottom, 13, 203}));
        QVERIFY(p.contains({PowerBarScreen::ePowerTop, 13, 33}));
        QVERIFY(p.contains({PowerBarScreen::ePowerRule, 3, 201 - 41}));
        QCOMPARE(m_view->powerBarHeight(), 166);
    }
};

QUARN_GUI_TEST_MAIN(TestSpectralAnalysis)
#include "tst_spectralAnalysis.moc"
