#include "board/board.h"
#include "tests/support/quarnTest.h"

#include <QDir>
#include <QFile>

class TestBoard : public QObject
{
    Q_OBJECT
private slots:
    void sandbox_keepsTheDevicePathsBelowItsRoot()
    {
        const Board& board = Board::Get();
        const QString root = QuarnTest::SandboxRoot();
        QVERIFY(board.IsSandbox());
        QCOMPARE(board.SettingsRoot(), root + "/media/mmcblk0p4/Settings");
        QCOMPARE(board.CardRoot(), root + "/media/mmcblk1p1/");
        QCOMPARE(board.MountTable(), root + "/proc/mounts");
        QCOMPARE(board.VersionRecord(), root + "/media/mmcblk0p1/version.txt");
        QCOMPARE(board.BacklightBrightnessFile(),
                 root + "/sys/class/backlight/tps65217-bl/brightness");
        QCOMPARE(board.BacklightPowerFile(), root + "/sys/class/backlight/tps65217-bl/bl_power");
        QCOMPARE(board.TouchCalibrationFile(), root + "/media/mmcblk0p4/Settings/pointercal");
        QCOMPARE(board.SerialDevice(), root + "/dev/ttyO1");
    }

    void setSystemTime_movesTheProgramClockOnly()
    {
        Board& board = Board::Get();
        const QDateTime target = QDateTime::currentDateTime().addDays(-400);
        board.SetSystemTime(target);
        QVERIFY(qAbs(board.Now().secsTo(target)) <= 1);
        QVERIFY(qAbs(QDateTime::currentDateTime().secsTo(target)) > 86400);
        board.SetSystemTime(QDateTime::currentDateTime());
        QVERIFY(qAbs(board.ClockOffsetMs()) < 1000);
    }

    void cardMarker_meansInserted()
    {
        Board& board = Board::Get();
        const std::unique_ptr<CardSlotProbe> probe = board.OpenCardSlotProbe();
        QVERIFY(probe);
        QVERIFY(!probe->IsCardInserted());
        QVERIFY(QDir().mkpath(QuarnTest::SandboxRoot() + "/dev"));
        QFile marker(board.CardPresenceMarker());
        QCOMPARE(marker.fileName(), QuarnTest::SandboxRoot() + "/dev/mmcblk1");
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        QVERIFY(probe->IsCardInserted());
        QVERIFY(marker.remove());
        QVERIFY(!probe->IsCardInserted());
    }

    void cardMounted_whenTheMountTableListsItsPartition()
    {
        Board& board = Board::Get();
        QuarnTest::LogCapture log;
        QVERIFY(!board.IsCardMounted());
        QCOMPARE(log.lines(), QStringList{"Error opening /proc/mounts"});

        QVERIFY(QDir().mkpath(QuarnTest::SandboxRoot() + "/proc"));
        QFile mounts(board.MountTable());
        QVERIFY(mounts.open(QIODevice::WriteOnly));
        mounts.write("/dev/mmcblk0p4 /media/mmcblk0p4 ext4 rw 0 0\n");
        mounts.close();
        QVERIFY(!board.IsCardMounted());
        QVERIFY(mounts.open(QIODevice::Append));
        mounts.write("/dev/mmcblk1p1 /media/mmcblk1p1 vfat rw 0 0\n");
        mounts.close();
        QVERIFY(board.IsCardMounted());
        QVERIFY(mounts.remove());
    }

    void writeValue_writesDecimalLine()
    {
        Board& board = Board::Get();
        const QString file = board.BacklightBrightnessFile();
        QVERIFY(!board.WriteValue(file, 50)); // no backlight folder in the sandbox yet
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QVERIFY(board.WriteValue(file, 50));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("50\n"));
    }

    void prepareSandbox_createsWhatIsMissing_keepsWhatIsThere()
    {
        Board& board = Board::Get();
        board.PrepareSandbox();
        QVERIFY(QFileInfo(board.SettingsRoot()).isDir());
        QVERIFY(QFileInfo(board.FlashTestFolder()).isDir());
        QFile mounts(board.MountTable());
        QVERIFY(mounts.open(QIODevice::ReadOnly));
        const QByteArray table = mounts.readAll();
        QVERIFY(table.contains(" /media/mmcblk0p4 "));
        QVERIFY(!table.contains("mmcblk1p1")); // no card until one is inserted
        QVERIFY(!board.IsCardMounted());
        QFile power(board.BacklightPowerFile());
        QVERIFY(power.open(QIODevice::ReadOnly));
        QCOMPARE(power.readAll(), QByteArray("0\n"));
        QVERIFY(QFileInfo::exists(board.VersionRecord()));
        QFile brightness(board.BacklightBrightnessFile());
        QVERIFY(brightness.open(QIODevice::ReadOnly));
        QCOMPARE(brightness.readAll(), QByteArray("50\n")); // written by the previous case
    }
};

QUARN_TEST_MAIN(TestBoard)
#include "tst_board.moc"
