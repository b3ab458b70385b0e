#include "bus/quarnBus.h"
#include "bus/quarnBusMsg.h"
#include "bus/quarnBusMsgReceiver.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

#include <QRandomGenerator>
#include <QSignalSpy>

namespace {

QByteArray frameTo(char dest, QuarnBusMsgType type, const QByteArray& body, char param = 0)
{
    return QuarnBusMsg(type, dest, param, body).serializeFrom(BusId::Mst);
}

QByteArray frame(QuarnBusMsgType type, const QByteArray& body, char param = 0)
{
    return frameTo(BusId::Tsc, type, body, param);
}

QByteArray resultFrame(int n)
{
    QByteArray body(51, 0);
    for (int i = 0; i < body.size(); ++i)
        body[i] = char((n * 7 + i) & 0xFF);
    return frame(eQuarnGetResultResponseMsg, body, char(n));
}

QList<QByteArray> frames(const QSignalSpy& spy)
{
    QList<QByteArray> out;
    for (const QList<QVariant>& args : spy)
        out.append(args.at(0).toByteArray());
    return out;
}

// The receiver's three-line error report plus the two lines naming the failure.
QStringList failureLines(const char* text, int state, const QByteArray& held)
{
    return {QStringLiteral("Exception in quarn bus msg receiver state handling:"),
            QString::fromLatin1(text), QStringLiteral("Current State:"), QString::number(state),
            QLatin1Char('"') + QString::fromLatin1(held.toHex()) + QLatin1Char('"')};
}

qint64 s_now = 0;
qint64 fakeClock()
{
    return s_now;
}

} // namespace

class TestQuarnBusMsgReceiver : public QObject
{
    Q_OBJECT
private slots:
    void frameSplitAtEveryOffset_givesOneIdenticalFrame()
    {
        const QByteArray whole = resultFrame(3);
        for (int cut = 0; cut <= whole.size(); ++cut) {
            QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
            QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
            receiver.giveNewData(whole.left(cut));
            receiver.giveNewData(whole.mid(cut));
            QCOMPARE(frames(spy), QList<QByteArray>{whole});
        }
    }

    void manyFrames_anyChunking_giveAllInOrder_data()
    {
        QTest::addColumn<int>("chunk");
        for (int chunk : {1, 3, 7, 61, 100000})
            QTest::newRow(qPrintable(QString::number(chunk))) << chunk;
    }

    void manyFrames_anyChunking_giveAllInOrder()
    {
        QFETCH(int, chunk);
        QList<QByteArray> sent;
        QByteArray stream;
        for (int n = 0; n < 40; ++n) {
            sent.append(n % 5 == 0 ? frame(eGetPingMsg, {}) : resultFrame(n));
            stream.append(sent.last());
        }
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        for (int i = 0; i < stream.size(); i += chunk)
            receiver.giveNewData(stream.mid(i, chunk));
        QCOMPARE(frames(spy), sent);
        QCOMPARE(receiver.currentState(), QuarnBusMsgReceiver::eIdle);
    }

    void garbageBeforeSync_isSkippedSilently()
    {
        QuarnTest::LogCapture log;
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        const QByteArray good = frame(eGetCountryMsgResp, "\x02");
        receiver.giveNewData(QByteArray::fromHex("00ff8a4545") + good);
        QCOMPARE(frames(spy), QList<QByteArray>{good});
        QVERIFY(log.lines().isEmpty());
    }

    void syncByteHeld_untilSecondSyncByteArrives()
    {
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        const QByteArray good = frame(eGetCountryMsgResp, "\x02");
        // 0x82, then bytes other than 0x8A, then 0x8A: the pair counts as sync.
        receiver.giveNewData(QByteArray::fromHex("821234") + good.mid(1));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toByteArray(), good);
    }

    void emptyBody_goesFromHeaderToChecksum()
    {
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        const QByteArray good = frame(eGetPingMsg, {});
        receiver.giveNewData(good.left(8));
        QCOMPARE(receiver.currentState(), QuarnBusMsgReceiver::eWaitingChecksum);
        receiver.giveNewData(good.mid(8));
        QCOMPARE(spy.count(), 1);
    }

    void lengthBound_266Accepted_267Rejected()
    {
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        const QByteArray largest = frame(eFftCorrelatedDataRespMsg, QByteArray(266, char(0xA5)));
        receiver.giveNewData(largest);
        QCOMPARE(frames(spy), QList<QByteArray>{largest});

        QuarnTest::LogCapture log;
        const QByteArray tooLong = frame(eFftCorrelatedDataRespMsg, QByteArray(267, char(0xA5)));
        receiver.giveNewData(tooLong);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(log.lines().mid(0, 5),
                 failureLines("msg seems to exceed crazy length bounds", 1, tooLong.left(7)));
    }

    void rejectedFrame_reportsItsBytesAndReason_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("rejected");
        QTest::addColumn<QuarnBusMsgReceiver::RejectReason>("reason");
        using R = QuarnBusMsgReceiver::RejectReason;
        QByteArray badSum = frame(eGetPingMsg, QByteArray(3, 'x'));
        badSum[badSum.size() - 1] = char(badSum.at(badSum.size() - 1) ^ 0x01);
        const QByteArray otherDevice = frameTo(BusId::Rad, eGetPingMsg, {});
        const QByteArray tooLong = frame(eFftCorrelatedDataRespMsg, QByteArray(267, 0));
        QTest::newRow("checksum") << badSum << badSum << R::BadChecksum;
        QTest::newRow("device") << otherDevice << otherDevice.left(3) << R::BadDeviceId;
        QTest::newRow("length") << tooLong << tooLong.left(8) << R::BadLength;
    }

    void rejectedFrame_reportsItsBytesAndReason()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, rejected);
        QFETCH(QuarnBusMsgReceiver::RejectReason, reason);
        QuarnTest::LogCapture log;
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::frameRejected);
        receiver.giveNewData(input);
        QVERIFY(spy.count() >= 1);
        QCOMPARE(spy.at(0).at(0).toByteArray(), rejected);
        QCOMPARE(spy.at(0).at(1).value<QuarnBusMsgReceiver::RejectReason>(), reason);
    }

    void wrongDeviceId_failsAtByteTwo()
    {
        QuarnTest::LogCapture log;
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        receiver.giveNewData(frameTo(BusId::Rad, eGetPingMsg, {}));
        QCOMPARE(spy.count(), 0);
        QCOMPARE(log.lines().mid(0, 5),
                 failureLines("incoming bus device id does not match expected value.", 1,
                              QByteArray::fromHex("828a")));
        QCOMPARE(receiver.currentState(), QuarnBusMsgReceiver::eIdle);
    }

    void badChecksum_dropsFrameWithThreeLineReport()
    {
        QuarnTest::LogCapture log;
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        QByteArray bad = frame(eGetCountryMsgResp, "\x02");
        bad[bad.size() - 1] = char(bad.at(bad.size() - 1) ^ 0x01);
        receiver.giveNewData(bad);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(log.lines().mid(0, 5), failureLines("Received Msg Checksum failed", 3, bad));
        QCOMPARE(receiver.currentState(), QuarnBusMsgReceiver::eIdle);
    }

    void badFrameThenGoodFrameInOneChunk_givesTheGoodOne_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QByteArray corrupt = resultFrame(1);
        corrupt[20] = char(corrupt.at(20) ^ 0x40);
        QTest::newRow("bad checksum") << corrupt;
        QTest::newRow("other device") << frameTo(BusId::Key, eGetPingMsg, "\x01\x02");
        QTest::newRow("crazy length") << QByteArray::fromHex("828a4548950000ff");
        QTest::newRow("truncated frame") << resultFrame(2).left(30);
    }

    void badFrameThenGoodFrameInOneChunk_givesTheGoodOne()
    {
        QFETCH(QByteArray, bad);
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        const QByteArray good = resultFrame(9);
        receiver.giveNewData(bad + good + good);
        QCOMPARE(frames(spy), (QList<QByteArray>{good, good}));
    }

    void realFrameBehindFalseSyncPair_isRecovered()
    {
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        const QByteArray good = frame(eGetOperatingModeMsgRespToSet, "\x06");
        receiver.giveNewData(QByteArray::fromHex("828a") + good);
        QCOMPARE(frames(spy), QList<QByteArray>{good});
    }

    void falseHeaderSwallowingRealFrame_isRecovered()
    {
        // A false header addressed to us announces a body that covers the real frame; the
        // checksum fails and the rescan finds the frame inside.
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        const QByteArray good = resultFrame(4);
        const QByteArray falseHeader =
            QByteArray::fromHex("828a45480100") + char(good.size()) + char(0);
        receiver.giveNewData(falseHeader);
        receiver.giveNewData(good);
        receiver.giveNewData(QByteArray::fromHex("0000") + good);
        QCOMPARE(frames(spy), (QList<QByteArray>{good, good}));
    }

    void randomGarbageBetweenFrames_losesNoGoodFrame()
    {
        QRandomGenerator rng(20261208);
        QList<QByteArray> sent;
        QByteArray stream;
        for (int n = 0; n < 300; ++n) {
            QByteArray garbage(int(rng.bounded(0, 24)), 0);
            for (char& c : garbage)
                c = char(rng.bounded(256));
            if (rng.bounded(4) == 0)
                garbage.append(QByteArray::fromHex("828a45"));
            stream.append(garbage);
            sent.append(resultFrame(n));
            stream.append(sent.last());
        }
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        for (int i = 0; i < stream.size(); i += 97)
            receiver.giveNewData(stream.mid(i, 97));
        QCOMPARE(frames(spy), sent);
    }

    void checksumSumPast16Bits_wrapsAndIsAccepted()
    {
        // Built by hand, so that a receiver summing without the wrap cannot agree with it.
        QByteArray f = QByteArray::fromHex("828a454871000a01");
        f.append(QByteArray(266, char(0xFF)));
        quint32 sum = 0;
        for (int i = 2; i < f.size(); ++i)
            sum += quint8(f.at(i));
        QVERIFY(sum > 65536);
        f.append(char(sum & 0xFF)).append(char((sum >> 8) & 0xFF));
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        receiver.giveNewData(f);
        QCOMPARE(frames(spy), QList<QByteArray>{f});
    }

    void quietPartialFrame_givenUpAndFramesBehindRescanned_data()
    {
        QTest::addColumn<int>("quietMs");
        QTest::addColumn<int>("delivered");
        QTest::newRow("before the time-out") << QuarnBusMsgReceiver::kStallTimeoutMs - 1 << 0;
        QTest::newRow("at the time-out") << QuarnBusMsgReceiver::kStallTimeoutMs << 6;
    }

    void quietPartialFrame_givenUpAndFramesBehindRescanned()
    {
        QFETCH(int, quietMs);
        QFETCH(int, delivered);
        // A length field damaged to 240 would swallow six good answers until a seventh came.
        QByteArray damaged = frame(eGetCountryMsgResp, "\x02");
        damaged[6] = char(240);
        QByteArray stream = damaged;
        const QByteArray good = frame(eGetCountryMsgResp, "\x03");
        for (int n = 0; n < 6; ++n)
            stream.append(good);
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        receiver.setClock(&fakeClock);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        QSignalSpy rejected(&receiver, &QuarnBusMsgReceiver::frameRejected);
        s_now = 1000;
        receiver.giveNewData(stream);
        s_now += quietMs;
        receiver.checkForStall();
        QCOMPARE(spy.count(), delivered);
        if (delivered) {
            QCOMPARE(spy.at(0).at(0).toByteArray(), good);
            QCOMPARE(rejected.at(0).at(1).value<QuarnBusMsgReceiver::RejectReason>(),
                     QuarnBusMsgReceiver::RejectReason::TimedOut);
            QCOMPARE(receiver.currentState(), QuarnBusMsgReceiver::eIdle);
        }
    }

    void quietPartialFrame_timerGivesItUpOnItsOwn()
    {
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        const QByteArray good = frame(eGetPingMsg, {});
        receiver.giveNewData(QByteArray::fromHex("828a454811000900") + good);
        QVERIFY(spy.wait(1000));
        QCOMPARE(frames(spy), QList<QByteArray>{good});
    }

    void stallCheckFromAFramesHandler_leavesTheFrameAlone()
    {
        // A handler that opens a modal dialog runs the event loop, and so the stall timer,
        // while the receiver still holds the frame it delivers.
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        receiver.setClock(&fakeClock);
        QSignalSpy rejected(&receiver, &QuarnBusMsgReceiver::frameRejected);
        int delivered = 0;
        connect(&receiver, &QuarnBusMsgReceiver::newMsgReady, this, [&] {
            ++delivered;
            s_now += 1000;
            receiver.checkForStall();
        });
        const QByteArray good = resultFrame(5);
        s_now = 0;
        receiver.giveNewData(good.left(9));
        receiver.giveNewData(good.mid(9) + good);
        QCOMPARE(delivered, 2);
        QCOMPARE(rejected.count(), 0);
    }

    void stallCheck_takesBytesTheBusHasNotReadYet()
    {
        // Behind a busy event loop the timer can run before the bytes' notification: the
        // frame they complete must not be given up.
        auto* device = new FakeDevice;
        QuarnBus bus(device, nullptr);
        auto* receiver = bus.findChild<QuarnBusMsgReceiver*>();
        receiver->setClock(&fakeClock);
        QSignalSpy spy(&bus, &QuarnBus::newMsg);
        const QByteArray good = frame(eGetCountryMsgResp, "\x02");
        s_now = 0;
        device->feed(good.left(5));
        device->blockSignals(true);
        device->feed(good.mid(5));
        s_now += 50;
        receiver->checkForStall();
        QCOMPARE(spy.count(), 1);
    }

    void failureBurst_writesOneFullReportThenOneCountPerInterval()
    {
        QuarnTest::LogCapture log;
        QuarnBusMsgReceiver receiver(nullptr, BusId::Tsc);
        QByteArray burst;
        for (int n = 0; n < 1000; ++n)
            burst.append(QByteArray::fromHex("828a46"));
        receiver.giveNewData(burst);
        QCOMPARE(log.lines(), failureLines("incoming bus device id does not match expected value.",
                                           1, QByteArray::fromHex("828a")));
        receiver.endReportInterval();
        QCOMPARE(log.lines().size(), 6);
        QVERIFY2(log.lines().last().contains(QStringLiteral(": 999 more frames given up")),
                 qPrintable(log.lines().last()));
        QVERIFY(log.lines().last().contains(QStringLiteral("device id 999,")));
        receiver.endReportInterval(); // a quiet interval closes the window silently
        QCOMPARE(log.lines().size(), 6);
        receiver.giveNewData(QByteArray::fromHex("828a46"));
        QCOMPARE(log.lines().size(), 11);
    }

    void severalAcceptedIds_eachAccepted()
    {
        QuarnBusMsgReceiver receiver(nullptr, {BusId::Mst, BusId::Bbm});
        QSignalSpy spy(&receiver, &QuarnBusMsgReceiver::newMsgReady);
        receiver.giveNewData(frameTo(BusId::Mst, eGetSystemDataMsg, {}) +
                             frameTo(BusId::Tsc, eGetSystemDataMsg, {}) +
                             frameTo(BusId::Bbm, eGetPingMsg, {}));
        QCOMPARE(spy.count(), 2);
    }
};

QUARN_TEST_MAIN(TestQuarnBusMsgReceiver)
#include "tst_quarnBusMsgReceiver.moc"
