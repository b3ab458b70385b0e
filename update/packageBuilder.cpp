#include "update/packageBuilder.h"

#include "bus/msgShapes.h"
#include "update/updatePackage.h"

#include <QStringList>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <QFile>

#include <memory>

using namespace UpdatePackage;

namespace PackageBuilder {

namespace {

struct Deleter
{
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    void operator()(BIO* bio) const { BIO_free(bio); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter>;
constexpr int kKeySize = 32; // an Ed25519 key, private or public, raw

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

Key privateKey(const QByteArray& raw)
{
    if (raw.size() != kKeySize)
        return nullptr;
    return Key(EVP_PKEY_new_raw_private_key_ex(nullptr, "ED25519", nullptr, bytesOf(raw),
                                               size_t(raw.size())));
}

QByteArray rawKey(EVP_PKEY* key, bool isPrivate)
{
    unsigned char raw[kKeySize];
    size_t length = sizeof raw;
    const int ok = isPrivate ? EVP_PKEY_get_raw_private_key(key, raw, &length)
                             : EVP_PKEY_get_raw_public_key(key, raw, &length);
    if (ok != 1 || length != sizeof raw)
        return {};
    return QByteArray(reinterpret_cast<const char*>(raw), int(length));
}

QByteArray sha256(const QByteArray& bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    size_t length = 0;
    if (!EVP_Q_digest(nullptr, "SHA256", nullptr, bytes.constData(), size_t(bytes.size()), digest,
                      &length))
        return {};
    return QByteArray(reinterpret_cast<const char*>(digest), int(length));
}

QByteArray sign(EVP_PKEY* key, const QByteArray& message)
{
    std::unique_ptr<EVP_MD_CTX, Deleter> context(EVP_MD_CTX_new());
    unsigned char signature[kSignatureSize];
    size_t length = sizeof signature;
    // Ed25519 takes the message whole and no digest of its own.
    if (!context ||
        EVP_DigestSignInit_ex(context.get(), nullptr, nullptr, nullptr, nullptr, key, nullptr) !=
            1 ||
        EVP_DigestSign(context.get(), signature, &length, bytesOf(message),
                       size_t(message.size())) != 1 ||
        length != sizeof signature)
        return {};
    return QByteArray(reinterpret_cast<const char*>(signature), int(length));
}

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
    if (!contents.signingKeys.isEmpty() &&
        !AppendSignatures(package, contents.signingKeys, contents.script))
        return {};
    Resign(package, contents.key.isEmpty() ? IntegrityKey() : contents.key);
    return package;
}

bool AppendSignatures(QByteArray& package, const QList<QByteArray>& keys, const QByteArray& script)
{
    // A package without its version and flags takes no block: the reader would see none.
    if (keys.isEmpty() || keys.size() > kMaxSignatures || package.size() < kImageLengthOffset)
        return false;
    const QByteArray scriptDigest = sha256(script);
    const QByteArray message = QByteArray(kSignatureContext, sizeof kSignatureContext) +
                               sha256(package.mid(int(kSignedFrom))) + scriptDigest;
    QByteArray block = scriptDigest;
    for (const QByteArray& raw : keys) {
        const Key key = privateKey(raw);
        const QByteArray publicKey = key ? rawKey(key.get(), false) : QByteArray();
        const QByteArray signature = key ? sign(key.get(), message) : QByteArray();
        if (publicKey.isEmpty() || signature.isEmpty())
            return false;
        block += publicKey + signature;
    }
    block += char(keys.size());
    block += QByteArray(kSignatureMagic, kSignatureMagicSize);
    package += block;
    return true;
}

QByteArray NewSigningKey()
{
    const Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
    return key ? rawKey(key.get(), true) : QByteArray();
}

QByteArray PublicKeyOf(const QByteArray& privateKeyBytes)
{
    const Key key = privateKey(privateKeyBytes);
    return key ? rawKey(key.get(), false) : QByteArray();
}

QByteArray ReadSigningKey(const QString& path, QString* error)
{
    const std::unique_ptr<BIO, Deleter> file(
        BIO_new_file(QFile::encodeName(path).constData(), "r"));
    const Key key(file ? PEM_read_bio_PrivateKey(file.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!key) {
        *error = QStringLiteral("cannot read a private key from %1").arg(path);
        return {};
    }
    if (!EVP_PKEY_is_a(key.get(), "ED25519")) {
        *error = QStringLiteral("%1 is no Ed25519 key").arg(path);
        return {};
    }
    return rawKey(key.get(), true);
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
