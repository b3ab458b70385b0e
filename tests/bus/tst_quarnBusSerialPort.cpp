#include "bus/deviceMsgs.h"
#include "bus/quarnBus.h"
#include "bus/settingMsgs.h"
#include "tests/support/busTraffic.h"
#include "tests/support/quarnTest.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// The bus on a real serial device: a pseudo-terminal stands in for the board's line.
class TestQuarnBusSerialPort : public QObject
{
    Q_OBJECT
private:
    int m_master = -1;
    QString m_slaveName;

    // Reads what the program wrote; the port flushes from the event loop.
    QByteArray readMaster(int expected)
    {
        QByteArray out;
        (void)QTest::qWaitFor([&] {
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                out.append(buffer, int(n));
            return out.size() >= expected;
        });
        return out;
    }

private slots:
    void init()
    {
        int slave = -1;
        char name[128] = {};
        QVERIFY(::openpty(&m_master, &slave, name, nullptr, nullptr) == 0);
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        ::close(slave);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_slaveName = QString::fromLocal8Bit(name);
    }

    void cleanup() { ::close(m_master); }

    void openedLine_receivesAndSends()
    {
        QuarnTest::LogCapture log;
        QuarnBus bus(m_slaveName.toLocal8Bit().constData(), nullptr);
        QVERIFY(log.contains(
            QStringLiteral("listening for data at 921600 on \"%1\"").arg(m_slaveName)));
        // A pseudo-terminal has no modem lines, so the head reads as switched off.
        QVERIFY(log.contains(QStringLiteral("warning: device is not turned on")));

        QSignalSpy spy(&bus, &QuarnBus::newMsg);
        const QByteArray frame = QuarnBusMsg(eGetPowerLevelMsgRespToSet, BusId::Tsc, 0, "\x09")
                                     .serializeFrom(BusId::Mst);
        QCOMPARE(::write(m_master, frame.constData(), size_t(frame.size())), ssize_t(frame.size()));
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.at(0).at(0).value<QuarnBusMsg>().bodyByte(0), quint8(9));

        QVERIFY(bus.sendMsg(SetVolumeMsg(5)));
        QCOMPARE(readMaster(11), SetVolumeMsg(5).serialize());
    }

    void slowDownTwice_reopensAt115200_andKeepsListening()
    {
        QuarnBus bus(m_slaveName.toLocal8Bit().constData(), nullptr);
        QuarnTest::LogCapture log;
        bus.onBusSlowDownRequested();
        bus.onBusSlowDownRequested();
        const QString line =
            QStringLiteral("listening for data at 115200 on \"%1\"").arg(m_slaveName);
        QCOMPARE(log.lines().count(line), 2);

        QSignalSpy spy(&bus, &QuarnBus::newMsg);
        const QByteArray frame =
            QuarnBusMsg(eGetUflagsMsgResp, BusId::Tsc, 0, "\x01").serializeFrom(BusId::Mst);
        QCOMPARE(::write(m_master, frame.constData(), size_t(frame.size())), ssize_t(frame.size()));
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.count(), 1);
    }

    // A numbered firmware packet: the first body byte says who sent it, the next two which
    // of its packets it is.
    static SetEepromMsgReq packet(char sender, int number)
    {
        QByteArray body(256, sender);
        body[1] = char(number & 0xFF);
        body[2] = char(number >> 8);
        return SetEepromMsgReq(BusId::Hcc, SetEepromMsgReq::kWrite, body);
    }

    void sendFromWorkerThread_reachesTheLineInCallOrder()
    {
        QuarnBus bus(m_slaveName.toLocal8Bit().constData(), nullptr);
        constexpr int kWorkerPackets = 200;
        constexpr int kOwnPackets = 50;
        std::atomic<int> accepted{0};
        // A plain thread: its join is one that ThreadSanitizer sees, unlike QThread::wait.
        std::thread worker([&] {
            for (int i = 0; i < kWorkerPackets; ++i)
                if (bus.sendMsg(packet('W', i)))
                    ++accepted;
        });
        // Meanwhile the bus thread sends its own, with the event loop turning between them.
        for (int i = 0; i < kOwnPackets; ++i) {
            QVERIFY(bus.sendMsg(packet('G', i)));
            QCoreApplication::processEvents();
        }
        worker.join();
        QCOMPARE(accepted.load(), kWorkerPackets);

        const int frameSize = 256 + QuarnBusMsg::kOverhead;
        const QByteArray line = readMaster((kWorkerPackets + kOwnPackets) * frameSize);
        QCOMPARE(line.size(), (kWorkerPackets + kOwnPackets) * frameSize); // 53,200 + 13,300
        QMap<char, int> next;
        for (const QuarnBusMsg& msg : BusTraffic::split(line)) {
            const char sender = char(msg.bodyByte(0));
            QCOMPARE(msg.bodyByte(1) | (msg.bodyByte(2) << 8), next[sender]++);
            QCOMPARE(msg.serialize(),
                     packet(sender, msg.bodyByte(1) | (msg.bodyByte(2) << 8)).serialize());
        }
        QCOMPARE(next.value('W'), kWorkerPackets);
        QCOMPARE(next.value('G'), kOwnPackets);
        QTRY_COMPARE(bus.outputBacklog(), qint64(0));
    }

    void frameHandedOverEarlier_goesBeforeALaterOneFromTheBusThread()
    {
        QuarnBus bus(m_slaveName.toLocal8Bit().constData(), nullptr);
        std::thread([&] { bus.sendMsg(packet('W', 1)); }).join();
        // The event loop has not turned: the worker's frame still waits for this thread.
        QCOMPARE(bus.outputBacklog(), qint64(266));
        QVERIFY(bus.sendMsg(packet('G', 2)));
        const QList<QuarnBusMsg> msgs = BusTraffic::split(readMaster(2 * 266));
        QCOMPARE(msgs.size(), 2);
        QCOMPARE(msgs.at(0).bodyByte(0), quint8('W'));
        QCOMPARE(msgs.at(1).bodyByte(0), quint8('G'));
    }

    void closedGate_dropsFramesFromEveryThread()
    {
        QuarnBus bus(m_slaveName.toLocal8Bit().constData(), nullptr);
        bus.onBusShutDownRequested();
        std::atomic<bool> accepted{true};
        std::thread([&] { accepted = bus.sendMsg(packet('W', 1)); }).join();
        QVERIFY(!accepted);
        QCOMPARE(bus.outputBacklog(), qint64(0));
    }

    void missingDevice_logsAndCarriesOn()
    {
        QuarnTest::LogCapture log;
        QuarnBus bus("/nonexistent-quarn-line", nullptr);
        QCOMPARE(log.lines(), (QStringList{"device failed to open: \"/nonexistent-quarn-line\" : "
                                           "\"No such file or directory\""}));
        QCOMPARE(bus.lineUnavailableReason(),
                 QStringLiteral("/nonexistent-quarn-line: No such file or directory"));
        QVERIFY(!bus.sendMsg(SetVolumeMsg(1)));
    }

    // A head plugged in after start: the line appears where it was missing.
    void missingDevice_isOpenedOnceItAppears()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ttyHEAD"));
        QuarnBus bus(path.toLocal8Bit().constData(), nullptr);
        QSignalSpy unavailable(&bus, &QuarnBus::LineUnavailable);
        QSignalSpy opened(&bus, &QuarnBus::LineOpened);
        QuarnTest::LogCapture log;
        bus.setReopenPeriod(20);
        // Retries that fail for the same reason stay quiet.
        QVERIFY(!opened.wait(200));
        QVERIFY(log.lines().isEmpty());
        QVERIFY(unavailable.isEmpty());

        QVERIFY(QFile::link(m_slaveName, path));
        QVERIFY(opened.wait(5000));
        QVERIFY(bus.lineUnavailableReason().isEmpty());
        QVERIFY(log.contains(QStringLiteral("listening for data at 921600 on \"%1\"").arg(path)));

        QSignalSpy spy(&bus, &QuarnBus::newMsg);
        const QByteArray frame = QuarnBusMsg(eGetPowerLevelMsgRespToSet, BusId::Tsc, 0, "\x09")
                                     .serializeFrom(BusId::Mst);
        QCOMPARE(::write(m_master, frame.constData(), size_t(frame.size())), ssize_t(frame.size()));
        QVERIFY(spy.wait(5000));
        QVERIFY(bus.sendMsg(SetVolumeMsg(5)));
        QCOMPARE(readMaster(11), SetVolumeMsg(5).serialize());
        QVERIFY(!opened.wait(100)); // opened once, no more tries
        QCOMPARE(opened.count(), 1);
    }

    // The head's end goes away after the line opened (a simulated head that ended): the
    // loss is reported like a line that cannot be opened, and the line is tried again
    // until a head is back at the same path.
    void lineLostAfterOpen_isReportedAndReopened()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ttyHEAD"));
        QVERIFY(QFile::link(m_slaveName, path));
        QuarnTest::LogCapture log;
        QuarnBus bus(path.toLocal8Bit().constData(), nullptr);
        bus.setReopenPeriod(20);
        QVERIFY(bus.lineUnavailableReason().isEmpty());
        QSignalSpy unavailable(&bus, &QuarnBus::LineUnavailable);
        QSignalSpy opened(&bus, &QuarnBus::LineOpened);

        ::close(m_master);
        QFile::remove(path);
        QVERIFY(unavailable.wait(5000));
        QCOMPARE(unavailable.at(0).at(0).toString(), path + QStringLiteral(": Connection lost"));
        QVERIFY(!bus.device()->isOpen());
        QVERIFY(
            log.contains(QStringLiteral("device lost: \"%1\" : \"Connection lost\"").arg(path)));
        QVERIFY(!bus.sendMsg(SetVolumeMsg(1)));

        init(); // a new head at the same path
        QVERIFY(QFile::link(m_slaveName, path));
        QVERIFY(opened.wait(5000));
        QVERIFY(bus.lineUnavailableReason().isEmpty());
        QVERIFY(bus.sendMsg(SetVolumeMsg(5)));
        QCOMPARE(readMaster(11), SetVolumeMsg(5).serialize());
    }

    // A new reason while missing is told once.
    void missingDevice_newReason_isSignalledOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ttyHEAD"));
        QuarnBus bus(path.toLocal8Bit().constData(), nullptr);
        QSignalSpy unavailable(&bus, &QuarnBus::LineUnavailable);
        QuarnTest::LogCapture log;
        bus.setReopenPeriod(20);
        QFile file(path); // a plain file is no serial line
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(unavailable.wait(5000));
        QVERIFY(!unavailable.wait(200));
        QCOMPARE(unavailable.count(), 1);
        QVERIFY(unavailable.at(0).at(0).toString().startsWith(path + QStringLiteral(": ")));
        QCOMPARE(log.lines().size(), 1);
        QVERIFY(log.lines().at(0).startsWith(
            QStringLiteral("device failed to open: \"%1\" : \"").arg(path)));
    }
};

QUARN_TEST_MAIN(TestQuarnBusSerialPort)
#include "tst_quarnBusSerialPort.moc"
