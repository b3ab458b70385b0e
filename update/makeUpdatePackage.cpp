// Builds a signed software update package for the SD card from a version, an optional
// squash file system image and firmware section files; with --sign also signed with the
// maker's Ed25519 key(s) over the package and the installer script that goes with it.

#include "update/packageBuilder.h"
#include "update/updatePackage.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace {

int fail(const QString& text)
{
    QFile err;
    err.open(stderr, QIODevice::WriteOnly);
    err.write(QStringLiteral("quarn-make-update-package: %1\n").arg(text).toLocal8Bit());
    return 2;
}

bool readFile(const QString& path, QByteArray& out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    out = file.readAll();
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Builds the update package vek_quarn_update.bin, signed with the instrument's key.\n"
        "Each section file holds the section's 8-byte header followed by its image."));
    parser.addHelpOption();
    const QCommandLineOption version(
        QStringLiteral("version"),
        QStringLiteral("Version of the update, MAJOR.MINOR.BUILD (each 0-255)."),
        QStringLiteral("VERSION"));
    const QCommandLineOption squash(QStringLiteral("squash"),
                                    QStringLiteral("Root file system image for the grip."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption section(
        QStringLiteral("section"),
        QStringLiteral("Firmware section, e.g. ha24=hcc.bin; may repeat."),
        QStringLiteral("NAME=FILE"));
    const QCommandLineOption output(
        QStringLiteral("output"), QStringLiteral("Package file to write."), QStringLiteral("FILE"));
    const QCommandLineOption sign(
        QStringLiteral("sign"),
        QStringLiteral("Ed25519 private key (PEM) to sign with; may repeat while keys rotate."),
        QStringLiteral("KEYFILE"));
    const QCommandLineOption script(
        QStringLiteral("script"),
        QStringLiteral(
            "Installer script __up__quarn.sh that goes on the card; needed with --sign."),
        QStringLiteral("FILE"));
    for (const auto& option : {version, squash, section, output, sign, script})
        parser.addOption(option);
    parser.process(app);
    if (!parser.isSet(version) || !parser.isSet(output))
        return fail(QStringLiteral("--version and --output are needed (see --help)"));
    if (parser.isSet(sign) != parser.isSet(script))
        return fail(QStringLiteral("--sign and --script go together: the script is signed too"));

    PackageContents contents;
    const auto match = QRegularExpression(QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"))
                           .match(parser.value(version));
    if (!match.hasMatch() || match.captured(1).toInt() > 255 || match.captured(2).toInt() > 255 ||
        match.captured(3).toInt() > 255)
        return fail(QStringLiteral("version %1 is not MAJOR.MINOR.BUILD with each 0-255")
                        .arg(parser.value(version)));
    contents.major = quint8(match.captured(1).toInt());
    contents.minor = quint8(match.captured(2).toInt());
    contents.build = quint8(match.captured(3).toInt());

    if (parser.isSet(squash)) {
        QByteArray image;
        if (!readFile(parser.value(squash), image))
            return fail(QStringLiteral("cannot read %1").arg(parser.value(squash)));
        contents.image = image;
    }
    for (const QString& value : parser.values(section)) {
        const int eq = value.indexOf(QLatin1Char('='));
        const QString name = value.left(eq);
        if (eq < 0)
            return fail(QStringLiteral("--section wants NAME=FILE, not %1").arg(value));
        const QString problem = PackageBuilder::CheckSectionName(name);
        if (!problem.isEmpty())
            return fail(problem);
        QByteArray bytes;
        if (!readFile(value.mid(eq + 1), bytes))
            return fail(QStringLiteral("cannot read %1").arg(value.mid(eq + 1)));
        if (bytes.size() < UpdatePackage::kSectionHeaderSize)
            return fail(QStringLiteral("section %1 is shorter than its 8-byte header").arg(name));
        if (UpdatePackage::SectionGeometry(bytes.size()).blocks > UpdatePackage::kMaxBlocks)
            return fail(QStringLiteral("section %1 is larger than 255 blocks of 64 KiB").arg(name));
        contents.sections.append({name, bytes});
    }

    for (const QString& path : parser.values(sign)) {
        QString problem;
        const QByteArray key = PackageBuilder::ReadSigningKey(path, &problem);
        if (key.isEmpty())
            return fail(problem);
        contents.signingKeys.append(key);
    }
    if (contents.signingKeys.size() > UpdatePackage::kMaxSignatures)
        return fail(QStringLiteral("at most %1 keys").arg(UpdatePackage::kMaxSignatures));
    if (parser.isSet(script)) {
        if (!readFile(parser.value(script), contents.script))
            return fail(QStringLiteral("cannot read %1").arg(parser.value(script)));
        if (contents.script.size() > UpdatePackage::kMaxInstallerSize)
            return fail(QStringLiteral("script %1 is larger than the unit reads (%2 bytes)")
                            .arg(parser.value(script))
                            .arg(UpdatePackage::kMaxInstallerSize));
    }

    const QByteArray package = PackageBuilder::Build(contents);
    if (package.isEmpty())
        return fail(QStringLiteral("signing failed"));
    QFile out(parser.value(output));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(package) != package.size())
        return fail(QStringLiteral("cannot write %1").arg(parser.value(output)));
    QFile stdOut;
    stdOut.open(stdout, QIODevice::WriteOnly);
    stdOut.write(
        QStringLiteral("%1: version %2.%3.%4, %5 bytes, %6 section(s)%7%8\n")
            .arg(parser.value(output))
            .arg(contents.major)
            .arg(contents.minor)
            .arg(contents.build)
            .arg(package.size())
            .arg(contents.sections.size())
            .arg(contents.image ? QStringLiteral(", file system image") : QString())
            .arg(contents.signingKeys.isEmpty()
                     ? QString()
                     : QStringLiteral(", signed with %1 key(s)").arg(contents.signingKeys.size()))
            .toLocal8Bit());
    return 0;
}
