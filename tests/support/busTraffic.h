#pragma once

#include "bus/quarnBusMsg.h"
#include "tests/support/fakeDevice.h"

#include <QList>
#include <QStringList>

// What the program sent, message by message, as "type pparam [body]" with the destination
// prefixed when it is not MST: short enough to compare whole sequences in one line.
namespace BusTraffic {

inline QList<QuarnBusMsg> split(const QByteArray& bytes)
{
    QList<QuarnBusMsg> msgs;
    int pos = 0;
    while (pos + QuarnBusMsg::kOverhead <= bytes.size()) {
        const int length = quint8(bytes.at(pos + 6)) + 256 * quint8(bytes.at(pos + 7));
        const int size = QuarnBusMsg::kOverhead + length;
        msgs.append(QuarnBusMsg(bytes.mid(pos, size)));
        pos += size;
    }
    return msgs;
}

inline QString describe(const QuarnBusMsg& msg)
{
    QString text = QStringLiteral("%1 p%2 [%3]")
                       .arg(int(msg.type))
                       .arg(msg.param)
                       .arg(QString::fromLatin1(msg.body.toHex(' ')));
    if (msg.destId != quint8(BusId::Mst))
        text.prepend(QStringLiteral("to %1: ").arg(msg.destId, 2, 16, QLatin1Char('0')));
    return text;
}

inline QStringList take(FakeDevice* line)
{
    QStringList lines;
    for (const QuarnBusMsg& msg : split(line->takeWritten()))
        lines.append(describe(msg));
    return lines;
}

inline QByteArray frameFromHead(QuarnBusMsgType type, quint8 param, const QByteArray& body)
{
    return QuarnBusMsg(type, BusId::Tsc, char(param), body).serializeFrom(BusId::Mst);
}

} // namespace BusTraffic
