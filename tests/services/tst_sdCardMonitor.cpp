#include "board/board.h"
#include "services/sdCardMonitor.h"
#include "tests/support/quarnTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

#include <memory>

namespace {

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void insertCard()
{
    writeFile(Board::Get().CardPresenceMarker(), {});
}

void mountCard()
{
    QDir().mkpath(Board::Get().CardRoot());
    writeFile(Board::Get().MountTable(), "/dev/mmcblk0p4 /media/mmcblk0p4 ext4 rw 0 0\n"
                                         "/dev/mmcblk1p1 /media/mmcblk1p1 vfat rw 0 0\n");
}

void unmountCard()
{
    writeFile(Board::Get().MountTable(), "/dev/mmcblk0p4 /media/mmcblk0p4 ext4 rw 0 0\n");
}

void removeCard()
{
    QFile::remove(Board::Get().CardPresenceMarker());
    unmountCard();
}

QString scriptPath()
{
    return Board::Get().CardRoot() + SdCardMonitor::kUpdateScript;
}

void writeScript(const QByteArray& body, bool executable = true)
{
    writeFile(scriptPath(), "#!/bin/sh\n" + body);
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    QFile::setPermissions(scriptPath(), permissions);
}

} // namespace

class TestSdCardMonitor : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        removeCard();
        QFile::remove(scriptPath());
        QFile::remove(Board::Get().CardRoot() + SdCardMonitor::kErrorDumpFile);
    }

    void insertMountRemove_oneCardEventPerChange()
    {
        SdCardMonitor monitor;
        QSignalSpy events(&monitor, &SdCardMonitor::CardEvent);
        QSignalSpy updates(&monitor, &SdCardMonitor::UpdateDetected);
        QVERIFY(!monitor.IsCardInserted());
        QVERIFY(!monitor.IsCardReady());
        QCOMPARE(monitor.GetSdCardRootFolder(), QuarnTest::SandboxRoot() + "/media/mmcblk1p1/");

        QuarnTest::LogCapture log;
        insertCard();
        QVERIFY(events.wait(2000));
        QVERIFY(monitor.IsCardInserted());
        QVERIFY(!monitor.IsCardReady());
        QCOMPARE(updates.count(), 0);
        QVERIFY(log.contains("emit CardEvent"));

        writeScript("exit 0\n");
        mountCard();
        QVERIFY(events.wait(2000));
        QVERIFY(monitor.IsCardReady());
        QCOMPARE(updates.count(), 1);

        removeCard();
        QVERIFY(events.wait(2000));
        QVERIFY(!monitor.IsCardInserted());
        QVERIFY(!monitor.IsCardReady());
        QCOMPARE(events.count(), 3);
        QCOMPARE(updates.count(), 1);
    }

    void cardPresentAtStart_isNotReportedAsAnUpdate()
    {
        insertCard();
        mountCard();
        writeScript("exit 0\n");
        SdCardMonitor monitor;
        QVERIFY(monitor.IsCardReady());
        QSignalSpy events(&monitor, &SdCardMonitor::CardEvent);
        QSignalSpy updates(&monitor, &SdCardMonitor::UpdateDetected);
        QVERIFY(!events.wait(1200));
        QCOMPARE(updates.count(), 0);

        removeCard();
        QVERIFY(events.wait(2000));
        insertCard();
        mountCard();
        QVERIFY(updates.wait(2000));
        QCOMPARE(events.count(), 2);
    }

    void cardWritable_needsAReadyCardMountedReadWrite_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<bool>("writable");
        QTest::newRow("rw") << QByteArray("rw,noatime") << true;
        QTest::newRow("ro") << QByteArray("ro,noatime") << false;
        QTest::newRow("ro alone") << QByteArray("ro") << false;
        QTest::newRow("no card") << QByteArray() << false;
    }

    void cardWritable_needsAReadyCardMountedReadWrite()
    {
        QFETCH(QByteArray, options);
        QFETCH(bool, writable);
        QuarnTest::SetCard(options);
        SdCardMonitor monitor;
        QCOMPARE(monitor.IsCardReady(), !options.isEmpty());
        QCOMPARE(monitor.IsCardWritable(), writable);
    }

    void unreadableMountTable_cardNeverReady()
    {
        insertCard();
        QFile::remove(Board::Get().MountTable());
        QuarnTest::LogCapture log;
        SdCardMonitor monitor;
        QVERIFY(monitor.IsCardInserted());
        QVERIFY(!monitor.IsCardReady());
        QCOMPARE(log.lines(), QStringList{"Error opening /proc/mounts"});
    }

    void failingScript_reportsBothChannelsAndDumpsTheReport()
    {
        QUARN_SKIP_IF_PROGRAMS_CANNOT_START();
        insertCard();
        mountCard();
        writeScript("echo out1\necho x >&2\nprintf 'out2'\nexit 3\n");
        SdCardMonitor monitor;
        QSignalSpy errors(&monitor, &SdCardMonitor::UpdateError);
        QSignalSpy completions(&monitor, &SdCardMonitor::UpdateComplete);
        QuarnTest::LogCapture log;

        QVERIFY(monitor.RunUpdateScript());
        QVERIFY(!monitor.RunUpdateScript());
        QVERIFY(errors.wait(5000));

        const QString report = errors.at(0).at(0).toString();
        QCOMPARE(report, QStringLiteral("ExitCode = 0x3\n\nStdError: \nx\n\nStdOut: \nout1\nout2"));
        QCOMPARE(readFile(monitor.GetSdCardRootFolder() + SdCardMonitor::kErrorDumpFile),
                 report.toLatin1());
        QCOMPARE(completions.count(), 0);
        QCOMPARE(log.lines().count("RunUpdateScript"), 2);
        QVERIFY(log.lines().contains(
            "UpdateProcessFinished, exitcode =  3 status =  QProcess::NormalExit"));

        // Finished runs make room for the next.
        writeScript("exit 0\n");
        QVERIFY(monitor.RunUpdateScript());
        QVERIFY(completions.wait(5000));
        QCOMPARE(errors.count(), 1);
    }

    void checkedScript_runsFromItsCopy_asTheCardsScript()
    {
        QUARN_SKIP_IF_PROGRAMS_CANNOT_START();
        insertCard();
        mountCard();
        writeScript("exit 5\n");
        SdCardMonitor monitor;
        QSignalSpy errors(&monitor, &SdCardMonitor::UpdateError);
        QSignalSpy completions(&monitor, &SdCardMonitor::UpdateComplete);
        QVERIFY(monitor.RunCheckedUpdateScript(
            "#!/bin/sh\ntest \"$0\" = '" + scriptPath().toUtf8() + "' && test $# = 0 || exit 7\n" +
            "case \"$QUARN_CHECKED_INSTALLER\" in '" + Board::Get().RuntimeFolder().toUtf8() +
            "'/*) ;; *) exit 8 ;; esac\n"));
        QVERIFY(!monitor.RunUpdateScript());
        QVERIFY(completions.wait(5000));
        QCOMPARE(errors.count(), 0);
    }

    void crashedScript_isAFailure()
    {
        QUARN_SKIP_IF_PROGRAMS_CANNOT_START();
        insertCard();
        mountCard();
        writeScript("kill -9 $$\n");
        SdCardMonitor monitor;
        QSignalSpy errors(&monitor, &SdCardMonitor::UpdateError);
        QSignalSpy completions(&monitor, &SdCardMonitor::UpdateComplete);
        QVERIFY(monitor.RunUpdateScript());
        QVERIFY(errors.wait(5000));
        const QString report = errors.at(0).at(0).toString();
        QVERIFY2(report.startsWith("ExitCode = 0x") && report.contains(" with crash.\n"),
                 qPrintable(report));
        QCOMPARE(completions.count(), 0);
    }

    void scriptThatCannotStart_isReportedAndFreesTheRunner()
    {
        QUARN_SKIP_IF_PROGRAMS_CANNOT_START();
        insertCard();
        mountCard();
        writeScript("exit 0\n", false);
        SdCardMonitor monitor;
        QSignalSpy errors(&monitor, &SdCardMonitor::UpdateError);
        QVERIFY(monitor.RunUpdateScript());
        QVERIFY(errors.wait(5000));
        QVERIFY(errors.at(0).at(0).toString().startsWith("Failed to start " + scriptPath() + "\n"));
        QVERIFY(QFile::exists(monitor.GetSdCardRootFolder() + SdCardMonitor::kErrorDumpFile));

        QSignalSpy completions(&monitor, &SdCardMonitor::UpdateComplete);
        writeScript("exit 0\n");
        QVERIFY(monitor.RunUpdateScript());
        QVERIFY(completions.wait(5000));
    }
};

QUARN_TEST_MAIN(TestSdCardMonitor)
#include "tst_sdCardMonitor.moc"
