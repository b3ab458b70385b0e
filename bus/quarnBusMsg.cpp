#include "bus/quarnBusMsg.h"

#include "bus/quarnBus.h"

namespace {
quint8 byteAt(const QByteArray& a, int i)
{
    return i < a.size() ? quint8(a.at(i)) : 0;
}
} // namespace

quint16 quarnChecksum(const char* data, int size)
{
    quint16 sum = 0;
    for (int i = 0; i < size; ++i)
        sum = quint16(sum + quint8(data[i]));
    return sum;
}

QuarnBusMsg::QuarnBusMsg(QuarnBusMsgType type, char destId, char param, QByteArray body)
    : type(type), destId(quint8(destId)), param(quint8(param)), body(std::move(body))
{}

QuarnBusMsg::QuarnBusMsg(const QByteArray& frame)
    : type(QuarnBusMsgType(byteAt(frame, 4))), destId(byteAt(frame, 2)), param(byteAt(frame, 5)),
      srcId(byteAt(frame, 3))
{
    const int length = byteAt(frame, 6) + 256 * byteAt(frame, 7);
    if (frame.size() > kHeaderSize)
        body = frame.mid(kHeaderSize, length);
}

QByteArray QuarnBusMsg::serialize() const
{
    return serializeFrom(QuarnBus::GetMyBusId());
}

QByteArray QuarnBusMsg::serializeFrom(char srcId) const
{
    QByteArray frame;
    frame.reserve(body.size() + kOverhead);
    frame.append(kSync0);
    frame.append(kSync1);
    frame.append(char(destId));
    frame.append(srcId);
    frame.append(char(type & 0xFF));
    frame.append(char(param));
    frame.append(char(body.size() & 0xFF));
    frame.append(char((body.size() >> 8) & 0xFF));
    frame.append(body);
    const quint16 sum = quarnChecksum(frame.constData() + 2, frame.size() - 2);
    frame.append(char(sum & 0xFF));
    frame.append(char(sum >> 8));
    return frame;
}

quint8 QuarnBusMsg::bodyByte(int i) const
{
    return byteAt(body, i);
}
