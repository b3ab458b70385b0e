#include "tests/support/smallFileSystem.h"

#include <QDir>
#include <QFile>

#include <sched.h>
#include <sys/mount.h>

SmallFileSystem::SmallFileSystem(const QString& folder, int kiB)
    : m_folder(QFile::encodeName(folder))
{
    // Private mounts: nothing mounted here is seen outside the test.
    static const bool ownMounts = ::unshare(CLONE_NEWNS) == 0 &&
                                  ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    QDir().mkpath(folder);
    const QByteArray options = "size=" + QByteArray::number(kiB) + 'k';
    m_mounted =
        ownMounts && ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, options.constData()) == 0;
}

SmallFileSystem::~SmallFileSystem()
{
    if (m_mounted)
        ::umount2(m_folder.constData(), MNT_DETACH);
}

bool SmallFileSystem::fill()
{
    // Blocks first, then single bytes into what is left of the last block.
    const QString root = QFile::decodeName(m_folder) + QLatin1Char('/');
    QFile blocks(root + QStringLiteral("filler"));
    if (!blocks.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(512, 'f');
    while (blocks.write(block) == block.size() && blocks.flush()) {
    }
    blocks.close();
    QFile bytes(root + QStringLiteral("filler2"));
    if (!bytes.open(QIODevice::WriteOnly))
        return false;
    while (bytes.write("f", 1) == 1 && bytes.flush()) {
    }
    return true;
}

bool SmallFileSystem::remountReadOnly()
{
    return ::mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
