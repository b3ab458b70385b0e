#include "shell/hapticService.h"

#include "bus/deviceMsgs.h"
#include "bus/quarnBus.h"
#include "settings/hapticUserSetting.h"

HapticService* HapticService::Get()
{
    static HapticService* instance = new HapticService;
    return instance;
}

void HapticService::OneShotVibrate(unsigned char pulseMs)
{
    QuarnBus::Get()->sendMsg(QuarnActivateHapticRequest(pulseMs));
}

void HapticService::OneShotVibrateIfEnabled(unsigned char pulseMs)
{
    const int mode = HapticUserSetting().Get();
    if (mode == 2 || mode == 3) // "On - Touch", "On - Both"
        OneShotVibrate(pulseMs);
}
