#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// Writes update packages: for the service tool, the tests and the demo. Signing is done
// here with the library's one-shot MAC, apart from the program's own digest code, so that
// a package built here checks that code rather than mirroring it.
struct PackageContents
{
    quint8 major = 0;
    quint8 minor = 0;
    quint8 build = 0;
    std::optional<QByteArray> image; // squash file system image
    // Header member name and the whole section (its 8-byte header, then the image data),
    // in the order they are stored.
    QList<QPair<QString, QByteArray>> sections;
    // Firmware header text in place of the one built from sections (test packages).
    std::optional<QByteArray> header;
    QByteArray key;
    quint8 format = 1;
};

namespace PackageBuilder {
// Without a key of its own the package is signed with the program's integrity key.
QByteArray Build(const PackageContents& contents);
// HMAC-SHA1 of bytes with key.
QByteArray Sign(const QByteArray& bytes, const QByteArray& key);
// Puts the digest of everything from offset 21 into bytes 1 to 20.
void Resign(QByteArray& package, const QByteArray& key);
// Empty when the name is a header member the program knows, else why not.
QString CheckSectionName(const QString& name);
} // namespace PackageBuilder
