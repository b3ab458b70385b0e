#include "bus/settingMsgs.h"
#include "sim/replay.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

#include <QSignalSpy>

using BusCaptureFormat::Kind;

namespace {

QByteArray answer(int type, const QByteArray& body)
{
    return QuarnBusMsg(QuarnBusMsgType(type), BusId::Tsc, 0, body).serializeFrom(BusId::Mst);
}

BusCaptureRecord at(qint64 ms, Kind kind, const QByteArray& bytes)
{
    return {1'700'000'000'000'000 + ms * 1000, kind, BusCaptureFormat::Verdict::Good, bytes};
}

// The program asks for the volume twice; each question gets its answer 20 ms later.
const QByteArray kAskA = SetVolumeMsg(5).serialize();
const QByteArray kAskB = SetTripLevelMsg(3).serialize();
const QByteArray kAnswerA = answer(eGetVolumeMsgRespToSet, "\x05");
const QByteArray kAnswerB = answer(eGetTripLevelMsgRespToSet, "\x03");

std::vector<BusCaptureRecord> capture()
{
    return {at(0, Kind::Sent, kAskA), at(20, Kind::Chunk, kAnswerA),
            at(25, Kind::Accepted, kAnswerA), at(40, Kind::Sent, kAskB),
            at(60, Kind::Chunk, kAnswerB)};
}

BusReplay::Options quick()
{
    BusReplay::Options o;
    o.graceMs = 300;
    o.settleMs = 50;
    o.endToleranceMs = 0;
    return o;
}

} // namespace

class TestReplay : public QObject
{
    Q_OBJECT
private slots:
    void answers_waitForTheirRequest_andNoDifferenceWhenSame()
    {
        auto* line = new FakeDevice(this);
        BusReplay replay(line, capture(), quick());
        QSignalSpy finished(&replay, &BusReplay::finished);
        replay.start();
        QTest::qWait(100); // well past the answer's captured time: it still waits for A
        QVERIFY(line->written().isEmpty());

        line->feed(kAskA);
        QTRY_COMPARE(line->written(), kAnswerA);
        line->feed(kAskB);
        QTRY_COMPARE(line->written(), kAnswerA + kAnswerB);
        QVERIFY(finished.wait(2000));
        QCOMPARE(finished.at(0).at(0).toInt(), 0);
        QCOMPARE(replay.matchedFrames(), 2);
        QCOMPARE(replay.expectedFrames(), 2);
    }

    void programFrames_thatDiffer_areReported_data()
    {
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::addColumn<QStringList>("reported");
        QTest::newRow("other body") << QList<QByteArray>{SetVolumeMsg(9).serialize(), kAskB}
                                    << QStringList{"differs SetVolumeMsg to MST"};
        QTest::newRow("second missing")
            << QList<QByteArray>{kAskA} << QStringList{"missing SetTripLevelMsg to MST"};
        QTest::newRow("one extra") << QList<QByteArray>{kAskA, GetCountryMsg().serialize(), kAskB}
                                   << QStringList{"unexpected GetCountryMsg"};
        QTest::newRow("swapped") << QList<QByteArray>{kAskB, kAskA} << QStringList{};
    }

    void programFrames_thatDiffer_areReported()
    {
        QFETCH(QList<QByteArray>, sent);
        QFETCH(QStringList, reported);
        auto* line = new FakeDevice(this);
        BusReplay replay(line, capture(), quick());
        QSignalSpy finished(&replay, &BusReplay::finished);
        replay.start();
        for (const QByteArray& frame : sent)
            line->feed(frame);
        QVERIFY(finished.wait(3000));
        QCOMPARE(replay.differences().size(), reported.size());
        for (int i = 0; i < reported.size(); ++i)
            QVERIFY2(replay.differences().at(i).startsWith(reported.at(i)),
                     qPrintable(replay.differences().at(i)));
        QCOMPARE(finished.at(0).at(0).toInt(), reported.size());
        QCOMPARE(line->written(), kAnswerA + kAnswerB); // the head's side plays out regardless
    }
};

QUARN_TEST_MAIN(TestReplay)
#include "tst_replay.moc"
