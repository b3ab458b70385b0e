#pragma once

#include <QElapsedTimer>
#include <QString>

class QIODevice;
class QuarnBusMsg;

// "MST", "RAD", ... for the bus ids of the head's controllers, hex for any other id.
QString deviceName(quint8 busId);
// Bus id of a device name as deviceName() writes it; 0 when the name is unknown.
char busIdFromName(const QString& name);
// Class name of a request the program sends, as the message catalogue names it.
QString requestName(const QuarnBusMsg& msg);
// One readable line: seconds since start, device, request name(code), param, body hex.
QString describeFrame(const QuarnBusMsg& msg, qint64 elapsedMs);

// Writes one line per received frame and notes ("# ...") to a file or stderr, flushed
// per line so that another process can follow it.
class FrameLog
{
public:
    explicit FrameLog(QIODevice* out);

    void frame(const QuarnBusMsg& msg);
    void note(const QString& text);

private:
    void write(const QString& line);

    QIODevice* m_out;
    QElapsedTimer m_clock;
};
