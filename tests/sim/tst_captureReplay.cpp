#include "bus/busCapture.h"
#include "bus/quarnBusMsg.h"
#include "tests/support/quarnTest.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using BusCaptureFormat::Kind;
using BusCaptureFormat::Verdict;

// The whole road: the desktop build records its bus against a head that damages frames,
// the head replays that capture against a fresh program, and the dissector reads it.
class TestCaptureReplay : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::vector<BusCaptureRecord> m_records;

    QString capture() const { return m_dir.filePath("bus.pcapng"); }

    void startProgram(QProcess& program, const QString& link, const QString& board,
                      const QStringList& extra = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.setStandardOutputFile(QProcess::nullDevice());
        program.setStandardErrorFile(QProcess::nullDevice());
        program.start(QStringLiteral(QUARN_DESKTOP_EXE),
                      QStringList{"--serial", link, "--root", board} + extra);
    }

    int count(Kind kind, int type = -1, Verdict verdict = Verdict::Good) const
    {
        return int(std::count_if(m_records.begin(), m_records.end(), [&](const auto& r) {
            return r.kind == kind && r.verdict == verdict &&
                   (type < 0 || (r.bytes.size() > 4 && quint8(r.bytes.at(4)) == type));
        }));
    }

private slots:
    void initTestCase() { QUARN_SKIP_IF_PROGRAMS_CANNOT_START(); }

    void capture_recordsDamagedTraffic()
    {
        const QString link = m_dir.filePath("ttyA");
        QProcess sim;
        sim.start(QStringLiteral(QUARN_HEADSIM_EXE),
                  {"--link", link, "--log", m_dir.filePath("sim.log"), "--corrupt", "10"});
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(link).isSymLink(); }, 5000));
        QProcess program;
        startProgram(program, link, m_dir.filePath("boardA"), {"--capture", capture()});
        // Until the battery was polled twice: start-up traffic, results and a second poll.
        QVERIFY(QTest::qWaitFor(
            [&] {
                m_records.clear();
                ReadBusCapture(capture(), &m_records);
                return count(Kind::Sent, eGetPingMsg) >= 2 &&
                       count(Kind::Rejected, -1, Verdict::BadChecksum) > 0;
            },
            20000));
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
        sim.terminate();
        QVERIFY(sim.waitForFinished(10000));
        m_records.clear();
        QVERIFY(ReadBusCapture(capture(), &m_records));
        QVERIFY(count(Kind::Chunk) > 0 && count(Kind::Accepted) > 0);
    }

    void replay_againstTheProgram_findsNoDifference()
    {
        const QString link = m_dir.filePath("ttyB");
        QProcess sim;
        sim.start(QStringLiteral(QUARN_HEADSIM_EXE),
                  {"--link", link, "--log", m_dir.filePath("replay.log"), "--replay", capture()});
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(link).isSymLink(); }, 5000));
        QProcess program;
        startProgram(program, link, m_dir.filePath("boardB"));
        QVERIFY(sim.waitForFinished(60000));
        program.kill();
        program.waitForFinished();
        const QString report = QString::fromUtf8(sim.readAllStandardOutput());
        QVERIFY2(sim.exitCode() == 0, qPrintable(report));
        const int sent = count(Kind::Sent);
        QVERIFY2(report.contains(QStringLiteral("replay: %1 of %1 program frames as captured, 0 "
                                                "differences")
                                     .arg(sent)),
                 qPrintable(report));
    }

    void dissector_marksTheDamagedFrames()
    {
        const QString tshark = QStandardPaths::findExecutable("tshark");
        if (tshark.isEmpty())
            QSKIP("tshark is not installed (scripts/bootstrap installs it)");
        QProcess process;
        process.start(tshark,
                      {"-n", "-X", "lua_script:" QUARN_SOURCE_DIR "/tools/wireshark/quarn.lua",
                       "-r", capture(), "-T", "fields", "-e", "quarn.kind", "-e",
                       "quarn.checksum.status", "-e", "_ws.malformed"});
        QVERIFY(process.waitForFinished(60000));
        const QStringList lines =
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), int(m_records.size()));
        QCOMPARE(lines.count("4\tincorrect\t"), count(Kind::Rejected, -1, Verdict::BadChecksum));
        QCOMPARE(lines.count("3\tcorrect\t"), count(Kind::Accepted));
        QCOMPARE(lines.count("1\tcorrect\t"), count(Kind::Sent));
    }
};

QUARN_TEST_MAIN(TestCaptureReplay)
#include "tst_captureReplay.moc"
