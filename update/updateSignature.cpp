#include "update/updateSignature.h"

#include "update/updatePackage.h"

#include <QDebug>

#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>
#include <vector>

namespace UpdatePackage {

struct MakerKeyPem
{
    const char* name;
    const char* pem;
};
// Generated from update/keys/*.pem.
const std::vector<MakerKeyPem>& MakerKeyPems();

namespace {

struct Deleter
{
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    void operator()(BIO* bio) const { BIO_free(bio); }
};

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

bool verify(const QByteArray& publicKey, const QByteArray& message, const QByteArray& signature)
{
    const std::unique_ptr<EVP_PKEY, Deleter> key(EVP_PKEY_new_raw_public_key_ex(
        nullptr, "ED25519", nullptr, bytesOf(publicKey), size_t(publicKey.size())));
    const std::unique_ptr<EVP_MD_CTX, Deleter> context(EVP_MD_CTX_new());
    return key && context && signature.size() == kSignatureSize &&
           EVP_DigestVerifyInit_ex(context.get(), nullptr, nullptr, nullptr, nullptr, key.get(),
                                   nullptr) == 1 &&
           EVP_DigestVerify(context.get(), bytesOf(signature), size_t(signature.size()),
                            bytesOf(message), size_t(message.size())) == 1;
}

} // namespace

QByteArray PublicKeyFromPem(const QByteArray& pem)
{
    const std::unique_ptr<BIO, Deleter> bio(BIO_new_mem_buf(pem.constData(), pem.size()));
    const std::unique_ptr<EVP_PKEY, Deleter> key(
        bio ? PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!key || !EVP_PKEY_is_a(key.get(), "ED25519"))
        return {};
    QByteArray raw(kPublicKeySize, '\0');
    size_t length = size_t(raw.size());
    if (EVP_PKEY_get_raw_public_key(key.get(), reinterpret_cast<unsigned char*>(raw.data()),
                                    &length) != 1 ||
        length != size_t(kPublicKeySize))
        return {};
    return raw;
}

QList<QByteArray> MakerKeys()
{
    QList<QByteArray> keys;
    for (const MakerKeyPem& maker : MakerKeyPems()) {
        const QByteArray key = PublicKeyFromPem(maker.pem);
        if (key.isEmpty())
            qWarning().noquote()
                << QStringLiteral("update/keys/%1 is no Ed25519 public key").arg(maker.name);
        else
            keys << key;
    }
    return keys;
}

QByteArray KeyTag(const QByteArray& publicKey)
{
    return publicKey.left(4).toHex();
}

SignatureCheck CheckSignature(const SignatureBlock& block, const QByteArray& scriptDigest,
                              const QList<QByteArray>& trustedKeys, QByteArray* signedBy)
{
    switch (block.state) {
    case SignatureBlock::State::None:
        return SignatureCheck::Unsigned;
    case SignatureBlock::State::Malformed:
        return SignatureCheck::Malformed;
    case SignatureBlock::State::Present:
        break;
    }
    const QByteArray message = QByteArray(kSignatureContext, sizeof kSignatureContext) +
                               block.contentDigest + block.scriptDigest;
    bool trusted = false;
    for (const auto& entry : block.signatures) {
        if (!trustedKeys.contains(entry.first))
            continue;
        if (!verify(entry.first, message, entry.second))
            return SignatureCheck::BadSignature;
        trusted = true;
        if (signedBy)
            *signedBy = entry.first;
    }
    if (!trusted)
        return SignatureCheck::UnknownKey;
    if (scriptDigest.size() != kSha256Size || block.scriptDigest.size() != kSha256Size ||
        CRYPTO_memcmp(scriptDigest.constData(), block.scriptDigest.constData(), kSha256Size) != 0)
        return SignatureCheck::ScriptMismatch;
    return SignatureCheck::Good;
}

} // namespace UpdatePackage
