#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdio>
#include <memory>

struct evp_mac_st;
struct evp_mac_ctx_st;

// HMAC-SHA1, as the update package is signed: over a whole file, or fed piece by piece.
class HmacSha1
{
public:
    static constexpr int kDigestSize = 20;
    static constexpr int kChunkSize = 4096;

    // The digest of everything from the file's current position to its end. Empty when
    // the file cannot be read to its end or the library fails: a digest of part of the
    // file must never pass for the whole.
    static QByteArray Generate(FILE* file, const QByteArray& key);

    explicit HmacSha1(const QByteArray& key);
    ~HmacSha1();
    HmacSha1(const HmacSha1&) = delete;
    HmacSha1& operator=(const HmacSha1&) = delete;

    // False once the library has failed; every later call then fails too.
    bool ok() const { return m_ok; }
    bool update(const char* bytes, size_t n);
    // Empty on failure.
    QByteArray final();

private:
    struct Deleter
    {
        void operator()(evp_mac_st* mac) const;
        void operator()(evp_mac_ctx_st* context) const;
    };
    std::unique_ptr<evp_mac_st, Deleter> m_mac;
    std::unique_ptr<evp_mac_ctx_st, Deleter> m_context;
    bool m_ok = false;
};
