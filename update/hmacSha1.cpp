#include "update/hmacSha1.h"

#include <QDebug>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <memory>

namespace {
struct MacDeleter
{
    void operator()(EVP_MAC* mac) const { EVP_MAC_free(mac); }
    void operator()(EVP_MAC_CTX* context) const { EVP_MAC_CTX_free(context); }
};
} // namespace

QByteArray HmacSha1::Generate(FILE* file, const QByteArray& key)
{
    std::unique_ptr<EVP_MAC, MacDeleter> mac(EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr));
    std::unique_ptr<EVP_MAC_CTX, MacDeleter> context(mac ? EVP_MAC_CTX_new(mac.get()) : nullptr);
    char digestName[] = OSSL_DIGEST_NAME_SHA1;
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digestName, 0),
        OSSL_PARAM_construct_end(),
    };
    if (!context ||
        !EVP_MAC_init(context.get(), reinterpret_cast<const unsigned char*>(key.constData()),
                      size_t(key.size()), params)) {
        qDebug() << "HMAC_Init error";
        return {};
    }

    unsigned char buffer[kChunkSize];
    for (;;) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, file);
        if (n > 0 && !EVP_MAC_update(context.get(), buffer, n)) {
            qDebug() << "HMAC_Update error";
            return {};
        }
        if (n < sizeof buffer) {
            if (std::ferror(file)) {
                qDebug() << "file read error in HMAC Sha1 processing";
                return {};
            }
            break; // end of file
        }
    }

    QByteArray digest(kDigestSize, '\0');
    size_t length = 0;
    if (!EVP_MAC_final(context.get(), reinterpret_cast<unsigned char*>(digest.data()), &length,
                       size_t(digest.size())) ||
        length != size_t(kDigestSize)) {
        qDebug() << "HMAC_Final error";
        return {};
    }
    return digest;
}
