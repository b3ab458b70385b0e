#include "board/board.h"
#include "bus/quarnBus.h"
#include "shell/frameTally.h"
#include "shell/headRestartWatch.h"
#include "shell/quarn24ex.h"
#include "shell/startup.h"
#include "update/sdCardUpdate.h"
#include "update/updateSignature.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QTextStream>

// The desktop build: the same program with every board path under a sandbox folder and
// the serial line on a given device (normally the simulated head's pseudo-terminal).
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Instrument program on a desktop"));
    parser.addHelpOption();
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("Serial device of the head's bus."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption root(QStringLiteral("root"),
                                  QStringLiteral("Folder that stands for the board's file system."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption capture(QStringLiteral("capture"),
                                     QStringLiteral("Record the bus to FILE (pcapng)."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption requireSignature(
        QStringLiteral("require-signature"),
        QStringLiteral("Refuse update packages without the maker's signature, as "
                       "QUARN_UPDATE_REQUIRE_SIGNATURE=1 does on the board."));
    const QCommandLineOption updateKey(
        QStringLiteral("update-key"),
        QStringLiteral("Also trust update signatures by this Ed25519 public key (PEM); may "
                       "repeat."),
        QStringLiteral("FILE"));
    parser.addOption(serial);
    parser.addOption(root);
    parser.addOption(capture);
    parser.addOption(requireSignature);
    parser.addOption(updateKey);
    parser.process(app);
    if (!parser.isSet(serial) || !parser.isSet(root))
        parser.showHelp(2);
    if (parser.isSet(requireSignature))
        SDCardUpdate::SetSignatureRequired(true);
    QList<QByteArray> keys = SDCardUpdate::TrustedKeys();
    for (const QString& path : parser.values(updateKey)) {
        QFile file(path);
        const QByteArray key = file.open(QIODevice::ReadOnly)
                                   ? UpdatePackage::PublicKeyFromPem(file.readAll())
                                   : QByteArray();
        if (key.isEmpty()) {
            QTextStream(stderr) << path << " is no Ed25519 public key\n";
            return 2;
        }
        keys << key;
    }
    SDCardUpdate::SetTrustedKeys(keys);

    QDir().mkpath(parser.value(root));
    // The port takes a bare name for one under /dev, so a relative path is made whole here.
    Board::UseSandbox(parser.value(root), QDir().absoluteFilePath(parser.value(serial)));
    Board::Get().PrepareSandbox();
    if (parser.isSet(capture))
        Board::UseCaptureFile(QDir().absoluteFilePath(parser.value(capture)));
    // The head does not hold this computer's power: its power cut ends the program, with
    // the status on which scripts/demo starts it again.
    HeadRestartWatch restartWatch;
    restartWatch.install();
    QObject::connect(&restartWatch, &HeadRestartWatch::programEnd, &app,
                     [](int status) { QCoreApplication::exit(status); });
    auto window = StartInstrument(app);
    FrameTally tally(QuarnBus::Get());
    const int code = app.exec();
    window.reset();
    return code;
}
