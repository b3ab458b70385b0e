#include "tests/support/sandboxCard.h"

#include "board/board.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void SandboxCard::SetReady(bool ready)
{
    const Board& board = Board::Get();
    QDir().mkpath(QFileInfo(board.CardPresenceMarker()).path());
    QDir().mkpath(QFileInfo(board.MountTable()).path());
    QDir().mkpath(board.CardRoot());
    QFile marker(board.CardPresenceMarker());
    QFile mounts(board.MountTable());
    if (ready) {
        marker.open(QIODevice::WriteOnly);
        mounts.open(QIODevice::WriteOnly);
        mounts.write("/dev/mmcblk1p1 /media/mmcblk1p1 vfat rw 0 0\n");
    } else {
        marker.remove();
        mounts.remove();
    }
}
