#include "update/packageBuilder.h"

#include "bus/msgShapes.h"
#include "update/updatePackage.h"

#include <QStringList>

#include <openssl/evp.h>

using namespace UpdatePackage;

namespace PackageBuilder {

namespace {

QByteArray headerText(const PackageContents& contents)
{
    // Members keep the order of the sections; QJsonObject would sort them.
    QByteArray text = "{";
    qint64 offset = 0;
    for (const auto& section : contents.sections) {
        if (text.size() > 1)
            text += ", ";
        // Member names are plain words (CheckSectionName).
        text += '"' + section.first.toUtf8() + "\": [" + QByteArray::number(offset) + ", " +
                QByteArray::number(section.second.size()) + ", 0]";
        offset += section.second.size();
    }
    return text + "}";
}

} // namespace

QByteArray Sign(const QByteArray& bytes, const QByteArray& key)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    size_t length = 0;
    if (!EVP_Q_mac(nullptr, "HMAC", nullptr, "SHA1", nullptr, key.constData(), size_t(key.size()),
                   reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()),
                   digest, sizeof digest, &length))
        return {};
    return QByteArray(reinterpret_cast<const char*>(digest), int(length));
}

void Resign(QByteArray& package, const QByteArray& key)
{
    if (package.size() < kSignedFrom)
        return;
    const QByteArray digest = Sign(package.mid(int(kSignedFrom)), key);
    package.replace(int(kDigestOffset), kDigestSize, digest);
}

QByteArray Build(const PackageContents& contents)
{
    QByteArray package;
    package.append(char(contents.format));
    package.append(QByteArray(kDigestSize, '\0'));
    package.append(char(contents.major));
    package.append(char(contents.minor));
    package.append(char(contents.build));
    const bool firmware = !contents.sections.isEmpty() || contents.header.has_value();
    package.append(char(contents.image ? 1 : 0));
    package.append(char(firmware ? 1 : 0));
    if (contents.image) {
        appendLe32(package, quint32(contents.image->size()));
        package.append(*contents.image);
    }
    if (firmware) {
        package.append(QByteArray(int(kFirmwareSkip), '\0'));
        package.append(contents.header ? *contents.header : headerText(contents));
        package.append('\0');
        for (const auto& section : contents.sections)
            package.append(section.second);
    }
    Resign(package, contents.key.isEmpty() ? IntegrityKey() : contents.key);
    return package;
}

QString CheckSectionName(const QString& name)
{
    static const QStringList kNames = {"ha24",          "ha900",   "ka",       "ka_any_xc7s6",
                                       "ka_any_xc7s25", "radio24", "radio900", "master",
                                       "QU2HA",         "QU2BA"};
    if (kNames.contains(name))
        return {};
    return QStringLiteral("unknown section %1 (one of %2)")
        .arg(name, kNames.join(QLatin1String(", ")));
}

} // namespace PackageBuilder
