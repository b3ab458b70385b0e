#pragma once

#include <QByteArray>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

// Opens a new pseudo-terminal with its line in raw mode, as a serial line to the head is:
// returns the master's descriptor (or -1) and puts the slave's path in slaveName.
inline int OpenRawPty(QByteArray& slaveName)
{
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return -1;
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    ::close(slave);
    slaveName = QByteArray(name);
    return master;
}
