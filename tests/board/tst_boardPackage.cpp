#include "board/board.h"
#include "tests/support/quarnTest.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString kPackageDir = QStringLiteral(QUARN_SOURCE_DIR "/board/package/");

QString readPackageFile(const QString& name)
{
    QFile file(kPackageDir + name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll());
}

// The board's own path of a sandboxed one.
QString onBoard(const QString& sandboxPath)
{
    QString path = sandboxPath.mid(Board::Get().Root().size());
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

bool writeScript(const QString& path, const QByteArray& body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("#!/bin/sh\n" + body);
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QMap<QString, QString> readKeyValues(const QString& path)
{
    QMap<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const int eq = line.indexOf('=');
        values.insert(line.left(eq), line.mid(eq + 1));
    }
    return values;
}

} // namespace

// The board package's files against the board layer, and its launcher run with stand-ins
// for tslib and the program.
class TestBoardPackage : public QObject
{
    Q_OBJECT
private slots:
    void launcher_handsTslibTheBoardsCalibrationFile()
    {
        const QString launcher = readPackageFile("quarn24ex-start");
        const QRegularExpression assignment(R"(\$\{TSLIB_CALIBFILE:=([^}]+)\})");
        const QRegularExpressionMatch match = assignment.match(launcher);
        QVERIFY(match.hasMatch());
        QCOMPARE(match.captured(1), onBoard(Board::Get().TouchCalibrationFile()));
    }

    void tmpfiles_createTheBoardLayersFolders_data()
    {
        const Board& board = Board::Get();
        QTest::addColumn<QString>("folder");
        QTest::newRow("settings store") << onBoard(board.SettingsRoot());
        QTest::newRow("storage test") << onBoard(board.FlashTestFolder());
        QTest::newRow("card mount point") << onBoard(board.CardRoot());
        QTest::newRow("version record") << onBoard(QFileInfo(board.VersionRecord()).path());
        QTest::newRow("calibration") << onBoard(QFileInfo(board.TouchCalibrationFile()).path());
    }

    void tmpfiles_createTheBoardLayersFolders()
    {
        QFETCH(QString, folder);
        const QStringList lines = readPackageFile("quarn24ex.tmpfiles").split('\n');
        QVERIFY2(lines.contains("d " + folder + " 0755 root root -"), qPrintable(folder));
    }

    void launcher_startsTheProgramWithTouchThroughTslib_data()
    {
        QTest::addColumn<bool>("calibrated");
        QTest::addColumn<QByteArray>("tslibAnswer");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("touchPlugin");
        // The "abs" capabilities of tslib's device in sysfs, none when empty.
        QTest::addColumn<QByteArray>("axes");

        const QByteArray device = "input12\n/dev/input/event7\n";
        QTest::newRow("calibrated") << true << device << QStringList() << "linuxfb:fb=/dev/fb0"
                                    << "evdevtouch:/dev/input/event7" << QByteArray();
        QTest::newRow("first start calibrates")
            << false << device << QStringList() << "linuxfb:fb=/dev/fb0"
            << "evdevtouch:/dev/input/event7" << QByteArray();
        QTest::newRow("no touch screen, still starts")
            << true << QByteArray() << QStringList() << "linuxfb:fb=/dev/fb0"
            << "" << QByteArray();
        QTest::newRow("touch options")
            << true << device << QStringList{"QUARN_TOUCH_OPTIONS=rotate=180"}
            << "linuxfb:fb=/dev/fb0"
            << "evdevtouch:/dev/input/event7:rotate=180" << QByteArray();
        QTest::newRow("other framebuffer")
            << true << device << QStringList{"QUARN_FRAMEBUFFER=/dev/fb1"} << "linuxfb:fb=/dev/fb1"
            << "evdevtouch:/dev/input/event7" << QByteArray();
        // The browser view's launcher stands in with a check that wants a password.
        QTest::newRow("web view") << true << device
                                  << QStringList{"QUARN_WEB=1", "QUARN_WEB_PASSWORD=s3rvice-pw"}
                                  << "web"
                                  << "evdevtouch:/dev/input/event7" << QByteArray();
        QTest::newRow("web view without a password stays on the panel")
            << true << device << QStringList{"QUARN_WEB=1"} << "linuxfb:fb=/dev/fb0"
            << "evdevtouch:/dev/input/event7" << QByteArray();
        QTest::newRow("platform given")
            << true << device << QStringList{"QT_QPA_PLATFORM=linuxfb:fb=/dev/fb0:size=240x320"}
            << "linuxfb:fb=/dev/fb0:size=240x320"
            << "evdevtouch:/dev/input/event7" << QByteArray();
        // tslib's device has the touch screen's axes: a resistive panel has no multi-touch
        // ones, which Qt's touch handler cannot read; its tablet handler can.
        QTest::newRow("multi-touch screen")
            << true << device << QStringList() << "linuxfb:fb=/dev/fb0"
            << "evdevtouch:/dev/input/event7" << QByteArray("260800000000003");
        QTest::newRow("multi-touch screen, 32-bit kernel")
            << true << device << QStringList() << "linuxfb:fb=/dev/fb0"
            << "evdevtouch:/dev/input/event7" << QByteArray("2608000 00000003");
        QTest::newRow("single-touch screen")
            << true << device << QStringList() << "linuxfb:fb=/dev/fb0"
            << "evdevtablet:/dev/input/event7" << QByteArray("1000003");
        QTest::newRow("single-touch screen, touch options do not apply")
            << true << device << QStringList{"QUARN_TOUCH_OPTIONS=rotate=180"}
            << "linuxfb:fb=/dev/fb0"
            << "evdevtablet:/dev/input/event7" << QByteArray("1000003");
    }

    void launcher_startsTheProgramWithTouchThroughTslib()
    {
        QUARN_SKIP_IF_PROGRAMS_CANNOT_START();
        QFETCH(bool, calibrated);
        QFETCH(QByteArray, tslibAnswer);
        QFETCH(QStringList, environment);
        QFETCH(QString, platform);
        QFETCH(QString, touchPlugin);
        QFETCH(QByteArray, axes);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (!axes.isEmpty()) {
            const QString folder = dir.filePath("sys/class/input/event7/device/capabilities");
            QVERIFY(QDir().mkpath(folder));
            QFile file(folder + "/abs");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(axes + '\n');
        }
        const QString calibration = dir.filePath("pointercal");
        if (calibrated) {
            QFile file(calibration);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("1 0 0 0 1 0 1\n");
        }
        // Stand-ins: each leaves what it was given in a file of its own.
        QVERIFY(writeScript(dir.filePath("ts_calibrate"),
                            "echo \"TSLIB_CALIBFILE=$TSLIB_CALIBFILE\" > ts_calibrate.run\n"));
        QVERIFY(writeScript(dir.filePath("ts_uinput"),
                            "echo \"args=$*\" > ts_uinput.run\n"
                            "echo \"TSLIB_CALIBFILE=$TSLIB_CALIBFILE\" >> ts_uinput.run\n"
                            "echo \"TSLIB_FBDEVICE=$TSLIB_FBDEVICE\" >> ts_uinput.run\n"
                            "printf '" +
                                tslibAnswer +
                                "'\n"
                                "[ -n '" +
                                tslibAnswer.trimmed() + "' ]\n"));
        QVERIFY(
            writeScript(dir.filePath("quarn24ex-web"),
                        "[ \"$1\" = --check ] && { [ -n \"${QUARN_WEB_PASSWORD:-}\" ]; exit; }\n"
                        "QT_QPA_PLATFORM=web exec \"$@\"\n"));
        QVERIFY(writeScript(dir.filePath("quarn24ex"),
                            "{ echo \"args=$*\"\n"
                            "  echo \"QT_QPA_PLATFORM=$QT_QPA_PLATFORM\"\n"
                            "  echo \"QT_QPA_FB_DISABLE_INPUT=$QT_QPA_FB_DISABLE_INPUT\"\n"
                            "  echo \"QT_QPA_GENERIC_PLUGINS=${QT_QPA_GENERIC_PLUGINS:-}\"\n"
                            "} > quarn24ex.run\n"));

        QProcessEnvironment env;
        env.insert("PATH", dir.path() + ":/usr/bin:/bin");
        env.insert("TMPDIR", dir.path());
        env.insert("TSLIB_CALIBFILE", calibration);
        env.insert("QUARN_SYSFS", dir.filePath("sys"));
        env.insert("QUARN_LIBEXEC", dir.path());
        for (const QString& assignment : environment)
            env.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
        QProcess launcher;
        launcher.setProcessEnvironment(env);
        launcher.setWorkingDirectory(dir.path());
        launcher.start(kPackageDir + "quarn24ex-start", {"-a", "b c"});
        QVERIFY2(launcher.waitForFinished(10000), qPrintable(launcher.errorString()));
        QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
        QCOMPARE(launcher.exitCode(), 0);

        const QMap<QString, QString> program = readKeyValues(dir.filePath("quarn24ex.run"));
        QCOMPARE(program.value("args"), QString("-a b c"));
        QCOMPARE(program.value("QT_QPA_PLATFORM"), platform);
        QCOMPARE(program.value("QT_QPA_FB_DISABLE_INPUT"), QString("1"));
        QCOMPARE(program.value("QT_QPA_GENERIC_PLUGINS"), touchPlugin);

        const QMap<QString, QString> tslib = readKeyValues(dir.filePath("ts_uinput.run"));
        QCOMPARE(tslib.value("args"), QString("-d -v -n quarn-touch"));
        QCOMPARE(tslib.value("TSLIB_CALIBFILE"), calibration);
        QCOMPARE(tslib.value("TSLIB_FBDEVICE"), platform.startsWith("linuxfb")
                                                    ? platform.section("fb=", 1).section(':', 0, 0)
                                                    : QString("/dev/fb0"));

        QCOMPARE(QFileInfo::exists(dir.filePath("ts_calibrate.run")), !calibrated);
        if (!calibrated)
            QCOMPARE(readKeyValues(dir.filePath("ts_calibrate.run")).value("TSLIB_CALIBFILE"),
                     calibration);
        // The daemon's answer is read from a file that is gone afterwards.
        QCOMPARE(QDir(dir.path()).entryList({"tmp.*"}, QDir::Files), QStringList());
    }
};

QUARN_TEST_MAIN(TestBoardPackage)
#include "tst_boardPackage.moc"
