#include "tests/support/settledLine.h"

#include "bus/quarnBus.h"
#include "settings/userSettingsService.h"
#include "settings/userSettingsStore.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"

namespace QuarnTest {

FakeDevice* InstallFakeLine()
{
    UserSettingsStore::Configure();
    auto* line = new FakeDevice;
    QuarnBus::Install(line);
    return line;
}

FakeDevice* InstallSettledLine()
{
    FakeDevice* line = InstallFakeLine();
    UserSettingsService::Get();
    line->feed(BusTraffic::frameFromHead(eGetSystemDataMsgResp, 0,
                                         QByteArray("VEK0") + QByteArray(24, 0)));
    return line;
}

} // namespace QuarnTest
