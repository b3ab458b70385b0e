#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// Writes update packages: for the service tool, the tests and the demo. Signing is done
// here with the library's one-shot MAC, digest and signature calls, apart from the
// program's own checking code, so that a package built here checks that code rather than
// mirroring it.
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
    // Raw Ed25519 private keys to sign with, each adding a signature; none: unsigned.
    QList<QByteArray> signingKeys;
    // The installer script that goes on the card with the package; signed by its SHA-256.
    QByteArray script;
};

namespace PackageBuilder {
// Without a key of its own the package is signed with the program's integrity key. Empty
// when a signing key is no Ed25519 key.
QByteArray Build(const PackageContents& contents);
// HMAC-SHA1 of bytes with key.
QByteArray Sign(const QByteArray& bytes, const QByteArray& key);
// Puts the digest of everything from offset 21 into bytes 1 to 20.
void Resign(QByteArray& package, const QByteArray& key);
// Empty when the name is a header member the program knows, else why not.
QString CheckSectionName(const QString& name);

// Appends the signature block for everything from offset 21 and script; the HMAC is to be
// computed after it (Resign). Nothing is appended without keys, when a key is no key or
// to fewer bytes than the version and flags take.
bool AppendSignatures(QByteArray& package, const QList<QByteArray>& keys, const QByteArray& script);
// A new Ed25519 private key, raw; empty when the library fails.
QByteArray NewSigningKey();
// The raw public key of a raw Ed25519 private key; empty for no such key.
QByteArray PublicKeyOf(const QByteArray& privateKey);
// The raw private key in an Ed25519 PEM file (OpenSSL asks for its pass phrase when it has
// one); empty, with the reason in error, when there is none.
QByteArray ReadSigningKey(const QString& path, QString* error);
} // namespace PackageBuilder
