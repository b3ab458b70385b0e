#pragma once

// The system data block (all of the head's operating settings in one body) and the
// head-side store of user settings.

#include "bus/msgShapes.h"

class GetSystemDataMsg : public MstQueryMsg<eGetSystemDataMsg>
{
public:
    using MstQueryMsg::MstQueryMsg;
};

class SetSystemDataMsg : public QuarnBusMsg
{
public:
    static constexpr int kBlockSize = 28;
    // The whole block read from the live settings store (built by the settings side).
    SetSystemDataMsg();
    // The block as given, e.g. built by the settings service from the store.
    explicit SetSystemDataMsg(const QByteArray& block)
        : QuarnBusMsg(eSetSystemDataMsg, BusId::Mst, 0, block)
    {
    }
};

class GetSystemDataMsgResp : public HeadAnswerMsg<eGetSystemDataMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};

// param 1 = load the head's stored user settings, 2 = restore the defaults.
class LoadUserSettingsMsg : public MstQueryMsg<eLoadUserSettingsMsg>
{
public:
    static constexpr quint8 kLoadStored = 1;
    static constexpr quint8 kRestoreDefaults = 2;
    using MstQueryMsg::MstQueryMsg;
};

class LoadUserSettingsMsgResp : public HeadAnswerMsg<eLoadUserSettingsMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};

class SaveUserSettingsMsg : public MstQueryMsg<eSaveUserSettingsMsg>
{
public:
    using MstQueryMsg::MstQueryMsg;
};
