#pragma once

#include <QByteArray>
#include <QString>

// A tiny file system (tmpfs) mounted over a folder for as long as the object lives, in a
// mount namespace of this test process alone, so that a full or read-only partition is
// real and not a file-size limit. Not every machine lets a test mount: check isMounted()
// and skip.
class SmallFileSystem
{
public:
    SmallFileSystem(const QString& folder, int kiB);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool isMounted() const { return m_mounted; }
    // Fills it to the last byte; false when that could not be done.
    bool fill();
    bool remountReadOnly();

private:
    QByteArray m_folder;
    bool m_mounted = false;
};
