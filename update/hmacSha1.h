#pragma once

#include <QByteArray>

#include <cstdio>

// HMAC-SHA1 over a file, as the update package is signed.
class HmacSha1
{
public:
    static constexpr int kDigestSize = 20;
    static constexpr int kChunkSize = 4096;

    // The digest of everything from the file's current position to its end. Empty when
    // the file cannot be read to its end or the library fails: a digest of part of the
    // file must never pass for the whole.
    static QByteArray Generate(FILE* file, const QByteArray& key);
};
