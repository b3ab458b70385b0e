#include "board/board.h"
#include "bus/settingMsgs.h"
#include "bus/systemDataMsgs.h"
#include "tests/support/quarnTest.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

// The simulated head and the desktop build as separate processes on one pseudo-terminal,
// watched through the head's frame log.
class TestHeadSimEndToEnd : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QProcess m_sim;
    QProcess m_desktop;
    QByteArray m_desktopOutput;

    QString link() const { return m_dir.filePath("ttyHEAD"); }
    QString board() const { return m_dir.filePath("board"); }

    QString simLog() const
    {
        QFile file(m_dir.filePath("headsim.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    bool waitForLogLine(const QRegularExpression& line, int timeoutMs = 5000) const
    {
        return QTest::qWaitFor([&] { return line.match(simLog()).hasMatch(); }, timeoutMs);
    }

    // True once the head logged a frame of this type from the program to device.
    bool waitForFrame(const QString& device, int type, int timeoutMs = 5000) const
    {
        return waitForLogLine(
            QRegularExpression(QStringLiteral("^ *[0-9.]+ %1 \\w+\\(%2\\) ").arg(device).arg(type),
                               QRegularExpression::MultilineOption),
            timeoutMs);
    }

    int frameCount(const QString& device, int type) const
    {
        return simLog().count(
            QRegularExpression(QStringLiteral("^ *[0-9.]+ %1 \\w+\\(%2\\) ").arg(device).arg(type),
                               QRegularExpression::MultilineOption));
    }

    QVariant storedSetting(const QString& key) const
    {
        QSettings store(board() + QStringLiteral("/media/mmcblk0p4/Settings/VEK/QUARN_2_4.conf"),
                        QSettings::IniFormat);
        return store.value(key);
    }

    // Writes a frame into the line as the program would; the program keeps reading.
    bool inject(const QuarnBusMsg& msg) const
    {
        const int fd = ::open(QFile::encodeName(link()).constData(), O_WRONLY | O_NOCTTY);
        if (fd < 0)
            return false;
        const QByteArray frame = msg.serialize();
        const bool ok = ::write(fd, frame.constData(), size_t(frame.size())) == frame.size();
        ::close(fd);
        return ok;
    }

    int runCardScript(const QString& action, const QString& root) const
    {
        QProcess script;
        script.setStandardOutputFile(QProcess::nullDevice());
        script.start(QStringLiteral("bash"),
                     {QStringLiteral(QUARN_SOURCE_DIR "/scripts/sdcard"), action, root});
        return script.waitForFinished() && script.exitStatus() == QProcess::NormalExit
                   ? script.exitCode()
                   : -1;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_sim.setProcessChannelMode(QProcess::ForwardedChannels);
        m_sim.start(QStringLiteral(QUARN_HEADSIM_EXE),
                    {"--link", link(), "--log", m_dir.filePath("headsim.log"), "--seed", "1"});
        QVERIFY(m_sim.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(link()).isSymLink(); }, 5000));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        m_desktop.setProcessEnvironment(env);
        m_desktop.setProcessChannelMode(QProcess::MergedChannels);
        connect(&m_desktop, &QProcess::readyRead, this,
                [this] { m_desktopOutput += m_desktop.readAll(); });
        m_desktop.start(QStringLiteral(QUARN_DESKTOP_EXE), {"--serial", link(), "--root", board()});
        QVERIFY(m_desktop.waitForStarted());
        QVERIFY2(
            QTest::qWaitFor(
                [&] { return m_desktopOutput.contains("listening for data at 921600 on"); }, 15000),
            m_desktopOutput.constData());
    }

    void program_opensTheHeadsLine()
    {
        QVERIFY(waitForLogLine(
            QRegularExpression("^# line opened$", QRegularExpression::MultilineOption)));
        QVERIFY(m_desktopOutput.contains(QFile::encodeName(link())));
    }

    void startUpRequests_reachTheHead()
    {
        QVERIFY(waitForFrame("BBM", eRtcGetDateTimeMsg));
        QVERIFY(waitForFrame("MST", eGetSystemDataMsg));
        // The home screen's interrogation, half a second after start.
        for (int type : {eGetSysInformationMsg, eGetCountryMsg, eGetFreqValueMsg, eGetUflagsMsg,
                         eGetZoneListMsg})
            QVERIFY2(waitForFrame("MST", type), qPrintable(QString::number(type)));
    }

    void settingsFile_fillsFromTheHeadsSystemData()
    {
        // The head's block differs from the program's defaults (power 0, volume 0).
        QVERIFY(QTest::qWaitFor(
            [&] { return storedSetting("userSettings/powerLevel").toInt() == 15; }, 5000));
        QCOMPARE(storedSetting("userSettings/volume").toInt(), 20);
        QCOMPARE(storedSetting("userSettings/freqValue").toUInt(), 2404000000u);
        QCOMPARE(storedSetting("userSettings/region").toInt(), 33);
        QCOMPARE(storedSetting("initFile").toInt(), 1);
    }

    void versionChain_asksEveryProcessorAndController()
    {
        // One request at a time, each sent by the answer to the one before.
        QVERIFY(QTest::qWaitFor([&] { return frameCount("MST", eGetSelectIdMsg) == 6; }, 5000));
        for (const char* device : {"RAD", "HCC", "KEY"})
            QVERIFY2(waitForFrame(device, eStatusRequestMsg), device);
    }

    void answeredRequests_areNotRepeated()
    {
        // Unanswered, the clock and system data requests would repeat every 1.5 s.
        QVERIFY(!QTest::qWaitFor([&] { return frameCount("MST", eGetSystemDataMsg) > 1; }, 2000));
        QCOMPARE(frameCount("BBM", eRtcGetDateTimeMsg), 1);
        QCOMPARE(frameCount("MST", eGetSystemDataMsg), 1);
    }

    void desktopRun_hasItsBoardTree()
    {
        for (const char* path : {"/proc/mounts", "/sys/class/backlight/tps65217-bl/brightness",
                                 "/sys/class/backlight/tps65217-bl/bl_power",
                                 "/media/mmcblk0p4/Settings", "/media/mmcblk0p1/version.txt"})
            QVERIFY2(QFileInfo::exists(board() + path), path);
    }

    void injectedFrame_isLoggedByTheHead()
    {
        QVERIFY(inject(GetSystemDataMsg()));
        QVERIFY(waitForFrame("MST", eGetSystemDataMsg));
    }

    void cardScript_insertsAndRemovesTheCardTheBoardSees()
    {
        Board& b = Board::Get();
        const QString root = QuarnTest::SandboxRoot();
        QCOMPARE(runCardScript("insert", root), 0);
        QVERIFY(b.OpenCardSlotProbe()->IsCardInserted());
        QVERIFY(b.IsCardMounted());
        QFile mounts(b.MountTable());
        QVERIFY(mounts.open(QIODevice::ReadOnly));
        QVERIFY(mounts.readAll().contains("mmcblk1p1"));
        QVERIFY(QFileInfo(b.CardRoot()).isDir());
        QCOMPARE(runCardScript("insert", root), 0); // a second insert adds no second line
        mounts.seek(0);
        QCOMPARE(mounts.readAll().count(" /media/mmcblk1p1 "), 1);
        mounts.close();

        QCOMPARE(runCardScript("remove", root), 0);
        QVERIFY(!b.OpenCardSlotProbe()->IsCardInserted());
        QVERIFY(!b.IsCardMounted());
        QVERIFY(mounts.open(QIODevice::ReadOnly));
        QVERIFY(!mounts.readAll().contains("mmcblk1p1"));
    }

    void cleanupTestCase()
    {
        m_desktop.terminate();
        QVERIFY(m_desktop.waitForFinished(10000));
        QVERIFY(waitForLogLine(
            QRegularExpression("^# line closed$", QRegularExpression::MultilineOption)));
        m_sim.terminate();
        QVERIFY(m_sim.waitForFinished(10000));
        QCOMPARE(m_sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link()).isSymLink());
    }
};

QUARN_TEST_MAIN(TestHeadSimEndToEnd)
#include "tst_headSimEndToEnd.moc"
