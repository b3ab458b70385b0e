#pragma once

// Device-level messages: status, versions, battery board, haptic pulse, resets and the
// firmware transfer.

#include "bus/msgShapes.h"

#include <QString>

class StatusRequestMsg : public QuarnBusMsg
{
public:
    // To RAD, HCC or KEY; answered with a GetSelectIdMsg carrying a status text.
    explicit StatusRequestMsg(char destId) : QuarnBusMsg(eStatusRequestMsg, destId) {}
};

// Version query to MST (param = CPU selector) and the text answer of every status or
// version request.
class GetSelectIdMsg : public QuarnBusMsg
{
public:
    explicit GetSelectIdMsg(quint8 cpuSelector)
        : QuarnBusMsg(eGetSelectIdMsg, BusId::Mst, char(cpuSelector))
    {}
    explicit GetSelectIdMsg(const QByteArray& frame) : QuarnBusMsg(frame) {}

    // The body up to the first NUL.
    QByteArray text() const
    {
        const int nul = body.indexOf('\0');
        return nul < 0 ? body : body.left(nul);
    }
};

class SetAdminOptionsMsg : public QuarnBusMsg
{
public:
    explicit SetAdminOptionsMsg(quint16 options) : QuarnBusMsg(eSetAdminOptionsMsg, BusId::Mst)
    {
        appendLe16(body, options);
    }
};

class GetAdminOptionsMsgResp : public QuarnBusMsg
{
public:
    explicit GetAdminOptionsMsgResp(const QByteArray& frame) : QuarnBusMsg(frame) {}
};

// Battery board ping; the answer carries the battery status record.
class GetPingMsg : public QuarnBusMsg
{
public:
    static constexpr int kAcByte = 7;
    static constexpr quint8 kAcBit = 0x80;
    static constexpr int kMfgStatusByte = 8; // 2 bytes, high byte first
    static constexpr int kChargeByte = 16;

    GetPingMsg() : QuarnBusMsg(eGetPingMsg, BusId::Bbm) {}
    explicit GetPingMsg(const QByteArray& frame) : QuarnBusMsg(frame) {}
    explicit GetPingMsg(const QuarnBusMsg& msg) : QuarnBusMsg(msg) {}

    // A short answer carries no charge: it reads 0 without meaning it.
    bool hasCharge() const { return body.size() > kChargeByte; }
    quint8 chargePercent() const { return bodyByte(kChargeByte); }
    bool onMains() const { return bodyByte(kAcByte) & kAcBit; }
    quint16 mfgStatus() const
    {
        return quint16(bodyByte(kMfgStatusByte) * 256 + bodyByte(kMfgStatusByte + 1));
    }
};

class MasterResetRequest : public QuarnBusMsg
{
public:
    explicit MasterResetRequest(char destId)
        : QuarnBusMsg(eMasterResetRequest, destId, 0, QByteArray(1, char(1)))
    {}
};

// Smart-battery register read: the register number rides in param.
class GetSmbMsg : public QuarnBusMsg
{
public:
    explicit GetSmbMsg(quint8 registerNumber)
        : QuarnBusMsg(eGetSmbMsg, BusId::Bbm, char(registerNumber))
    {}
    explicit GetSmbMsg(const QByteArray& frame) : QuarnBusMsg(frame) {}
    explicit GetSmbMsg(const QuarnBusMsg& msg) : QuarnBusMsg(msg) {}

    // A word register: exactly 2 bytes, low byte first; any other size logs and gives 0.
    quint16 GetWordResult() const;
    // A string register: the text up to the first NUL. Suspiciously short answers are
    // logged but decoded all the same.
    QString GetStringResult() const;
};

// Asks MST to push a firmware image on to the battery board (20) or the HDC (21).
class SetFlashMsgReq : public QuarnBusMsg
{
public:
    enum class Image
    {
        Bbm,
        Hdc
    };
    explicit SetFlashMsgReq(Image image)
        : QuarnBusMsg(image == Image::Bbm ? eSetBBMFlashMsg : eSetLEDFlashMsg, BusId::Mst)
    {}
};

class SetBBMFlashMsgResp : public HeadAnswerMsg<eSetBBMFlashMsg>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};

class SetLEDFlashMsgResp : public HeadAnswerMsg<eSetLEDFlashMsg>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};

// Firmware erase (param 2) and write (param 3) to the device being programmed.
class SetEepromMsgReq : public QuarnBusMsg
{
public:
    static constexpr quint8 kErase = 2;
    static constexpr quint8 kWrite = 3;
    SetEepromMsgReq(char destId, quint8 step, QByteArray body = {})
        : QuarnBusMsg(eSetEepromMsg, destId, char(step), std::move(body))
    {}
};

class SetEepromMsgResp : public QuarnBusMsg
{
public:
    explicit SetEepromMsgResp(const QByteArray& frame) : QuarnBusMsg(frame) {}
    // Answer to a write: the 32-bit byte sum of the block the device received.
    quint32 writeChecksum() const { return le32At(*this, 0); }
};

// One vibration pulse of the grip's motor. Shares code 82 with the trip level.
class QuarnActivateHapticRequest : public QuarnBusMsg
{
public:
    explicit QuarnActivateHapticRequest(quint8 pulseMs)
        : QuarnBusMsg(eQuarnActivateHapticRequest, BusId::Key)
    {
        body.append(char(4));
        body.append(char(pulseMs));
    }
};
