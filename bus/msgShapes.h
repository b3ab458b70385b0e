#pragma once

#include "bus/quarnBusMsg.h"

// Shapes shared by many message classes. They add no data: a class built on one is still
// a plain QuarnBusMsg with a fixed type and destination.

// An answer from the head, built by the dispatcher from the raw frame.
template <QuarnBusMsgType Type> class HeadAnswerMsg : public QuarnBusMsg
{
public:
    static constexpr QuarnBusMsgType kType = Type;
    explicit HeadAnswerMsg(const QByteArray& frame) : QuarnBusMsg(frame) {}
    // A broadcast message of this type seen under its own name again.
    explicit HeadAnswerMsg(const QuarnBusMsg& msg) : QuarnBusMsg(msg) {}
};

// The head's answer about one setting, to the query or to the change: byte 0 is the value.
template <QuarnBusMsgType Type> class SettingAnswerMsg : public HeadAnswerMsg<Type>
{
public:
    using HeadAnswerMsg<Type>::HeadAnswerMsg;
    quint8 value() const { return this->bodyByte(0); }
};

// A request to MST with an empty body.
template <QuarnBusMsgType Type> class MstQueryMsg : public QuarnBusMsg
{
public:
    static constexpr QuarnBusMsgType kType = Type;
    explicit MstQueryMsg(quint8 param = 0) : QuarnBusMsg(Type, BusId::Mst, char(param)) {}
};

// A change of one head setting whose value travels as a single body byte. There is no
// constructor without the value: the head refuses a change whose body is not one byte.
template <QuarnBusMsgType Type> class ByteSettingMsg : public QuarnBusMsg
{
public:
    static constexpr QuarnBusMsgType kType = Type;
    explicit ByteSettingMsg(quint8 value)
        : QuarnBusMsg(Type, BusId::Mst, 0, QByteArray(1, char(value)))
    {}
};

// Little-endian body helpers.
inline void appendLe16(QByteArray& body, quint16 value)
{
    body.append(char(value & 0xFF));
    body.append(char(value >> 8));
}

inline void appendLe32(QByteArray& body, quint32 value)
{
    for (int shift = 0; shift < 32; shift += 8)
        body.append(char((value >> shift) & 0xFF));
}

inline quint16 le16At(const QuarnBusMsg& msg, int offset)
{
    return quint16(msg.bodyByte(offset) | (msg.bodyByte(offset + 1) << 8));
}

inline quint32 le32At(const QuarnBusMsg& msg, int offset)
{
    return quint32(le16At(msg, offset)) | (quint32(le16At(msg, offset + 2)) << 16);
}
