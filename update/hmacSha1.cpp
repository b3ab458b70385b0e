#include "update/hmacSha1.h"

#include <QDebug>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

void HmacSha1::Deleter::operator()(evp_mac_st* mac) const
{
    EVP_MAC_free(mac);
}

void HmacSha1::Deleter::operator()(evp_mac_ctx_st* context) const
{
    EVP_MAC_CTX_free(context);
}

HmacSha1::HmacSha1(const QByteArray& key)
    : m_mac(EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr)),
      m_context(m_mac ? EVP_MAC_CTX_new(m_mac.get()) : nullptr)
{
    char digestName[] = OSSL_DIGEST_NAME_SHA1;
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digestName, 0),
        OSSL_PARAM_construct_end(),
    };
    m_ok = m_context &&
           EVP_MAC_init(m_context.get(), reinterpret_cast<const unsigned char*>(key.constData()),
                        size_t(key.size()), params);
    if (!m_ok)
        qDebug() << "HMAC_Init error";
}

HmacSha1::~HmacSha1() = default;

bool HmacSha1::update(const char* bytes, size_t n)
{
    if (m_ok && n > 0 &&
        !EVP_MAC_update(m_context.get(), reinterpret_cast<const unsigned char*>(bytes), n)) {
        qDebug() << "HMAC_Update error";
        m_ok = false;
    }
    return m_ok;
}

QByteArray HmacSha1::final()
{
    if (!m_ok)
        return {};
    QByteArray digest(kDigestSize, '\0');
    size_t length = 0;
    if (!EVP_MAC_final(m_context.get(), reinterpret_cast<unsigned char*>(digest.data()), &length,
                       size_t(digest.size())) ||
        length != size_t(kDigestSize)) {
        qDebug() << "HMAC_Final error";
        m_ok = false;
        return {};
    }
    return digest;
}

QByteArray HmacSha1::Generate(FILE* file, const QByteArray& key)
{
    HmacSha1 mac(key);
    if (!mac.ok())
        return {};
    char buffer[kChunkSize];
    for (;;) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, file);
        if (!mac.update(buffer, n))
            return {};
        if (n < sizeof buffer) {
            if (std::ferror(file)) {
                qDebug() << "file read error in HMAC Sha1 processing";
                return {};
            }
            break; // end of file
        }
    }
    return mac.final();
}
