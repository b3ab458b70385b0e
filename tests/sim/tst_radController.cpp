#include "bus/deviceMsgs.h"
#include "bus/measurementMsgs.h"
#include "bus/msgShapes.h"
#include "bus/settingMsgs.h"
#include "sim/radController.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"

#include <QElapsedTimer>
#include <QtEndian>

#include <complex>
#include <cstring>

Q_DECLARE_METATYPE(SimScenario::Kind)

namespace {

SimOptions withResults(int rate, SimScenario::Kind scenario, quint32 seed = 1)
{
    SimOptions options = SimHarness::fastOptions();
    options.resultsPerSecond = rate;
    options.scenario = scenario;
    options.seed = seed;
    return options;
}

float floatAt(const QByteArray& block, int offset)
{
    const quint32 bits = qFromLittleEndian<quint32>(block.constData() + offset);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::vector<std::complex<double>> decodeBlock(const QByteArray& block)
{
    std::vector<std::complex<double>> samples;
    for (int i = 0; i + 8 <= block.size(); i += 8)
        samples.emplace_back(floatAt(block, i), floatAt(block, i + 4));
    return samples;
}

// Bin of the largest DFT magnitude.
int peakBin(const std::vector<std::complex<double>>& x)
{
    const int n = int(x.size());
    int best = 0;
    double bestMagnitude = -1;
    for (int k = 0; k < n; ++k) {
        std::complex<double> sum;
        for (int i = 0; i < n; ++i)
            sum += x[size_t(i)] * std::polar(1.0, -2 * M_PI * k * i / n);
        if (std::abs(sum) > bestMagnitude) {
            bestMagnitude = std::abs(sum);
            best = k;
        }
    }
    return best;
}

QByteArray fftBlock(SimHarness& h, quint8 harmonic)
{
    const int before = h.received(eFftCorrelatedDataRespMsg).size();
    h.send(FftCorrelatedDataRequestMsg(harmonic));
    const QList<QuarnBusMsg> pieces = h.waitFor(eFftCorrelatedDataRespMsg, before + 16);
    QByteArray block;
    for (int i = before; i < pieces.size(); ++i)
        block += pieces.at(i).body;
    return block;
}

} // namespace

class TestRadController : public QObject
{
    Q_OBJECT
private slots:
    void results_arriveOnTheirOwnAtTheConfiguredRate()
    {
        SimHarness h(withResults(40, SimScenario::Kind::Sweep));
        QVERIFY(!h.waitFor(eQuarnGetResultResponseMsg).isEmpty());
        QElapsedTimer clock;
        clock.start();
        const int first = h.received(eQuarnGetResultResponseMsg).size();
        const QList<QuarnBusMsg> results = h.waitFor(eQuarnGetResultResponseMsg, first + 20);
        const qint64 elapsed = clock.elapsed();
        // Results queued while the test was busy arrive at once: the bound allows a few.
        QVERIFY2(elapsed >= 300 && elapsed < 3000, qPrintable(QString::number(elapsed)));
        for (int i = 1; i < results.size(); ++i) {
            const QuarnBusMsg& r = results.at(i);
            QCOMPARE(r.srcId, quint8(BusId::Rad));
            QCOMPARE(r.body.size(), RadController::kResultSize);
            QCOMPARE(le32At(r, 0), le32At(results.at(i - 1), 0) + 1); // consecutive numbers
            QCOMPARE(le32At(r, 4), le32At(r, 0) * 25);                // scenario ms
        }
    }

    void results_followPowerLevelAndScenario_data()
    {
        QTest::addColumn<SimScenario::Kind>("scenario");
        QTest::addColumn<bool>("semiconductor");
        QTest::addColumn<bool>("corrosive");
        QTest::newRow("semiconductor") << SimScenario::Kind::Semiconductor << true << false;
        QTest::newRow("corrosive") << SimScenario::Kind::Corrosive << false << true;
        QTest::newRow("quiet") << SimScenario::Kind::Quiet << false << false;
    }

    void results_followPowerLevelAndScenario()
    {
        QFETCH(SimScenario::Kind, scenario);
        QFETCH(bool, semiconductor);
        QFETCH(bool, corrosive);
        SimHarness h(withResults(50, scenario));
        const QuarnBusMsg r = h.waitFor(eQuarnGetResultResponseMsg).value(0);
        QCOMPARE(r.bodyByte(RadController::kTxPowerAt), quint8(15));
        const quint8 harm2nd = r.bodyByte(RadController::kHarm2ndAt);
        const quint8 harm3rd = r.bodyByte(RadController::kHarm3rdAt);
        QCOMPARE(harm2nd > 127 && harm2nd > harm3rd, semiconductor);
        QCOMPARE(harm3rd > 127 && harm3rd > harm2nd, corrosive);

        h.ask(SetPowerLevelMsg(4), eGetPowerLevelMsgRespToSet);
        h.clear();
        const QuarnBusMsg low = h.waitFor(eQuarnGetResultResponseMsg).value(0);
        QCOMPARE(low.bodyByte(RadController::kTxPowerAt), quint8(4));
        QVERIFY(low.bodyByte(RadController::kHarm2ndAt) < 80);

        h.ask(SetOperatingModeMsg(0), eGetOperatingModeMsgRespToSet); // standby
        h.clear();
        QCOMPARE(h.waitFor(eQuarnGetResultResponseMsg).value(0).bodyByte(RadController::kTxPowerAt),
                 quint8(0));
    }

    void sameSeed_sameResults_otherSeedOthers()
    {
        QMap<quint32, QByteArray> runs[3];
        const quint32 seeds[3] = {3, 3, 4};
        for (int run = 0; run < 3; ++run) {
            SimHarness h(withResults(100, SimScenario::Kind::Sweep, seeds[run]));
            for (const QuarnBusMsg& r : h.waitFor(eQuarnGetResultResponseMsg, 30))
                runs[run].insert(le32At(r, 0), r.body);
        }
        int compared = 0;
        int differing = 0;
        for (auto it = runs[0].cbegin(); it != runs[0].cend(); ++it) {
            if (runs[1].contains(it.key())) {
                QCOMPARE(runs[1].value(it.key()), it.value());
                ++compared;
            }
            differing += runs[2].contains(it.key()) && runs[2].value(it.key()) != it.value();
        }
        QVERIFY(compared >= 10);
        QVERIFY(differing >= 5);
    }

    void noResults_whileTheHeadScans()
    {
        SimHarness h(withResults(50, SimScenario::Kind::Quiet));
        h.ask(SetOperatingModeMsg(7), eGetOperatingModeMsgRespToSet);
        h.clear();
        QVERIFY(!h.waitFor(eQuarnGetAmbientResponseMsg, 2).isEmpty());
        QVERIFY(h.received(eQuarnGetResultResponseMsg).isEmpty());
    }

    void fftRequest_givesSixteenPiecesOf4096Bytes_withTheTargetsTone()
    {
        SimHarness h(withResults(0, SimScenario::Kind::Semiconductor));
        const QByteArray second = fftBlock(h, 2);
        QCOMPARE(second.size(), RadController::kFftBlockBytes);
        const QList<QuarnBusMsg> pieces = h.received(eFftCorrelatedDataRespMsg);
        QCOMPARE(pieces.size(), RadController::kFftPieces);
        for (const QuarnBusMsg& piece : pieces) {
            QCOMPARE(piece.body.size(), 256);
            QCOMPARE(piece.srcId, quint8(BusId::Rad));
        }
        QCOMPARE(peakBin(decodeBlock(second)), SimScenario::kTargetBin2nd);
        QCOMPARE(peakBin(decodeBlock(fftBlock(h, 3))), SimScenario::kTargetBin3rd);

        h.send(FftCorrelatedDataRequestMsg(4)); // no such receiver: no answer
        h.ask(StatusRequestMsg(BusId::Rad), eGetSelectIdMsg);
        QCOMPARE(h.received(eFftCorrelatedDataRespMsg).size(), 32);
    }

    void fftBlock_withoutTarget_showsOnlyTheInterferer()
    {
        SimHarness h(withResults(0, SimScenario::Kind::Quiet));
        QCOMPARE(peakBin(decodeBlock(fftBlock(h, 2))), SimScenario::kInterfererBin);
    }

    void statusRequest_isAnsweredWithAText()
    {
        SimHarness h;
        const QuarnBusMsg status = h.ask(StatusRequestMsg(BusId::Rad), eGetSelectIdMsg, BusId::Rad);
        QCOMPARE(GetSelectIdMsg(status.serializeFrom(BusId::Rad)).text(),
                 RadController::statusText());
    }
};

QUARN_TEST_MAIN(TestRadController)
#include "tst_radController.moc"
