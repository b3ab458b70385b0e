#include "sim/simScenario.h"
#include "tests/support/quarnTest.h"

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
