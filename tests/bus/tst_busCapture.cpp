#include "board/board.h"
#include "bus/busCapture.h"
#include "bus/quarnBus.h"
#include "bus/quarnBusMsgReceiver.h"
#include "bus/settingMsgs.h"
#include "bus/systemDataMsgs.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using BusCaptureFormat::Kind;
using BusCaptureFormat::Verdict;

namespace {

// The receiver's clock, moved on by hand to time out a partial frame.
qint64 s_now = 0;
qint64 clock()
{
    return s_now;
}

QByteArray fromHead(int type, const QByteArray& body, char src, char param = 0)
{
    return QuarnBusMsg(QuarnBusMsgType(type), BusId::Tsc, param, body).serializeFrom(src);
}

QByteArray corrupted(QByteArray frame)
{
    frame[frame.size() - 2] = char(frame.at(frame.size() - 2) ^ 0xFF);
    return frame;
}

// Takes the first limit bytes, then fails every write, as a card that fills up.
class FillingDevice : public QIODevice
{
public:
    explicit FillingDevice(qint64 limit) : m_limit(limit) { open(WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        if (m_taken + size > m_limit) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        m_taken += size;
        return size;
    }

private:
    qint64 m_limit;
    qint64 m_taken = 0;
};

} // namespace

class TestBusCapture : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    FakeDevice* m_line = nullptr;
    QuarnBus* m_bus = nullptr;

private slots:
    void initTestCase()
    {
        m_line = new FakeDevice;
        m_bus = QuarnBus::Install(m_line);
        m_bus->findChild<QuarnBusMsgReceiver*>()->setClock(&clock);
    }

    void bus_recordsSentChunksAndVerdicts_inLineOrder()
    {
        const QString path = m_dir.filePath("bus.pcapng");
        QVERIFY(m_bus->startCapture(path));
        const QByteArray good = fromHead(eGetCountryMsgResp, "\x04", BusId::Mst);
        const QByteArray bad = corrupted(fromHead(eGetPingMsg, QByteArray(18, 1), BusId::Bbm));
        m_bus->sendMsg(SetVolumeMsg(5));
        m_line->feed(good.left(3));
        m_line->feed(good.mid(3) + bad + good.left(4));
        s_now += QuarnBusMsgReceiver::kStallTimeoutMs + 1;
        m_bus->findChild<QuarnBusMsgReceiver*>()->checkForStall();
        m_bus->setCapture(nullptr);

        std::vector<BusCaptureRecord> records;
        QVERIFY(ReadBusCapture(path, &records));
        const std::vector<std::tuple<Kind, Verdict, QByteArray>> expected = {
            {Kind::Sent, Verdict::Good, SetVolumeMsg(5).serialize()},
            {Kind::Chunk, Verdict::Good, good.left(3)},
            {Kind::Chunk, Verdict::Good, good.mid(3) + bad + good.left(4)},
            {Kind::Accepted, Verdict::Good, good},
            {Kind::Rejected, Verdict::BadChecksum, bad},
            {Kind::Rejected, Verdict::TimedOut, good.left(4)},
        };
        QCOMPARE(records.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(records[i].kind, std::get<0>(expected[i]));
            QCOMPARE(records[i].verdict, std::get<1>(expected[i]));
            QCOMPARE(records[i].bytes, std::get<2>(expected[i]));
            if (i > 0)
                QVERIFY(records[i].timeUs >= records[i - 1].timeUs);
        }
    }

    void fullCard_closesCapture_andBusGoesOn()
    {
        m_bus->setCapture(std::make_unique<BusCapture>(std::make_unique<FillingDevice>(4096)));
        QuarnTest::LogCapture log;
        for (int i = 0; i < 200 && m_bus->capture()->isActive(); ++i) {
            m_bus->sendMsg(SetSystemDataMsg(QByteArray(28, char(i))));
            QTest::qWait(1);
        }
        QTRY_VERIFY(!m_bus->capture()->isActive());
        QVERIFY(log.lines().join('\n').contains("bus capture stopped: No space left on device"));
        m_line->takeWritten();
        QVERIFY(m_bus->sendMsg(SetVolumeMsg(7)));
        QCOMPARE(m_line->takeWritten(), SetVolumeMsg(7).serialize());
        m_bus->setCapture(nullptr);
    }

    // Not even the file header fits: one line says why, and records go nowhere.
    void cardFullFromTheStart_saysSoOnce()
    {
        QuarnTest::LogCapture log;
        {
            BusCapture capture(std::make_unique<FillingDevice>(0));
            QVERIFY(!capture.isActive());
            capture.record(Kind::Sent, SetVolumeMsg(5).serialize());
        }
        QCOMPARE(log.lines(), QStringList{"bus capture stopped: No space left on device"});
    }

    void cardMarker_namesCaptureBesideIt()
    {
        const Board& board = Board::Get();
        QVERIFY(board.BusCaptureFile().isEmpty());
        QDir().mkpath(board.CardRoot());
        QFile(board.CardRoot() + "capture").open(QIODevice::WriteOnly);
        QVERIFY(board.BusCaptureFile().isEmpty()); // the card is not mounted
        QDir().mkpath(QFileInfo(board.MountTable()).path());
        QFile mounts(board.MountTable());
        QVERIFY(mounts.open(QIODevice::Append));
        mounts.write("/dev/mmcblk1p1 /media/mmcblk1p1 vfat rw 0 0\n");
        mounts.close();
        QVERIFY(QRegularExpression("/media/mmcblk1p1/vek_bus_\\d{4}(_\\d\\d){5}\\.pcapng$")
                    .match(board.BusCaptureFile())
                    .hasMatch());
    }

    void readOnlyCard_noCapture_andOneLineSaysWhy()
    {
        const Board& board = Board::Get();
        QuarnTest::SetCard("ro,noatime");
        QFile(board.CardRoot() + "capture").open(QIODevice::WriteOnly);
        QuarnTest::LogCapture log;
        QVERIFY(board.BusCaptureFile().isEmpty());
        QCOMPARE(log.lines(), QStringList{"bus capture not started: card is read-only"});
        QuarnTest::SetCard({});
    }

    // The Wireshark dissector over a capture of every decoded kind of body and a bad frame.
    void dissector_showsEveryFrame_andMarksBadChecksums()
    {
        QUARN_SKIP_IF_PROGRAMS_CANNOT_START();
        const QString tshark = QStandardPaths::findExecutable("tshark");
        if (tshark.isEmpty())
            QSKIP("tshark is not installed (scripts/bootstrap installs it)");
        QByteArray result(51, 0);
        result[47] = 12, result[49] = char(200), result[50] = 31;
        // "VEK0", four settings bytes, then 2404000000 Hz.
        const QByteArray sysData = QByteArray("VEK0") + QByteArray(4, 1) +
                                   QByteArray::fromHex("00214a8f") + QByteArray(16, 0);
        QByteArray ping(18, 0);
        ping[16] = 87;
        const QString path = m_dir.filePath("dissect.pcapng");
        auto capture = BusCapture::Open(path);
        QVERIFY(capture);
        const QByteArray good[] = {
            fromHead(eQuarnGetResultResponseMsg, result, BusId::Rad),
            fromHead(eGetSystemDataMsgResp, sysData, BusId::Mst),
            fromHead(eRtcGetDateTimeMsg, QByteArray::fromHex("30597103091226"), BusId::Bbm),
            fromHead(eGetPingMsg, ping, BusId::Bbm),
            fromHead(eGetSmbMsg, QByteArray("LION\0", 5), BusId::Bbm, 0x22),
            fromHead(eGetSelectIdMsg, QByteArray("MST 3.1.12\0", 11), BusId::Mst),
        };
        capture->record(Kind::Sent, SetVolumeMsg(5).serialize());
        for (const QByteArray& frame : good)
            capture->record(Kind::Accepted, frame);
        capture->record(Kind::Rejected, corrupted(good[0]), Verdict::BadChecksum);
        capture->close();

        QProcess process;
        const QString dissector =
            QStringLiteral("lua_script:" QUARN_SOURCE_DIR "/tools/wireshark/quarn.lua");
        QStringList arguments = {"-n", "-X", dissector, "-r", path, "-E", "separator=|"};
        arguments += {"-T", "fields"};
        for (const char* field : {"quarn.name", "quarn.checksum.status", "_ws.malformed",
                                  "quarn.result.harm2", "quarn.sysdata.frequency", "quarn.clock",
                                  "quarn.battery.charge", "quarn.battery.text", "quarn.version"})
            arguments << "-e" << field;
        process.start(tshark, arguments);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        const QStringList lines =
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        // name | checksum | malformed | 2nd harmonic | frequency | clock | charge | text | version
        const QStringList expected = {
            "SetVolumeMsg|correct|||||||",
            "QuarnGetResultResponseMsg|correct||200|||||",
            "GetSystemDataMsgResp|correct|||2404000000||||",
            "RtcGetDateTimeMsg|correct||||2026-12-09 23:59:30|||",
            "GetPingMsg|correct|||||87||",
            "GetSmbMsg|correct||||||LION|",
            "GetSelectIdMsg|correct|||||||MST 3.1.12",
            "QuarnGetResultResponseMsg|incorrect||200|||||",
        };
        QCOMPARE(lines, expected);
    }
};

QUARN_TEST_MAIN(TestBusCapture)
#include "tst_busCapture.moc"
