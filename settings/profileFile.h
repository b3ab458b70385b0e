#pragma once

#include <QByteArray>
#include <QString>

// Profile files on the card are anyone's: a link planted under a profile's name must not
// lead a read or a save off the card, and an odd file (a folder, a FIFO, a huge file) must
// neither block nor fill the memory. Both calls work on the name itself, never on what a
// link points at.
namespace ProfileFile {

enum class ReadResult
{
    Read,
    Missing,
    Refused, // a link, not a regular file, larger than the limit, or unreadable
};

// The whole file, when it is a regular file of at most maxBytes.
ReadResult Read(const QString& path, qint64 maxBytes, QByteArray* content);

// Replaces path with content whole or not at all: a scratch file beside it, created anew
// and never through a link, takes every byte and is flushed to storage before it is
// renamed over path. An existing path that is a link or not a regular file is refused. On
// any failure the old file stays as it was and why says what went wrong.
bool Replace(const QString& path, const QByteArray& content, QString* why);

} // namespace ProfileFile
