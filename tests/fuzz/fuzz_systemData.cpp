// libFuzzer target for the system data block as the head sends it (type 121): the settings
// service takes every byte into the store, where the screens read it back.

#include "bus/quarnBus.h"
#include "settings/systemDataBlock.h"
#include "settings/userSettingsService.h"
#include "tests/fuzz/fuzzProgram.h"
#include "tests/support/fakeDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzProgram::SettingsOnLine& s = FuzzProgram::StartSettings();
    // The first byte is the header parameter, the rest the body, as long as it comes.
    const char param = size > 0 ? char(data[0]) : 0;
    const QByteArray body(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0),
                          int(size > 0 ? size - 1 : 0));
    s.settings->RxQuarnBusMsg(
        QuarnBusMsg(eGetSystemDataMsgResp, QuarnBus::GetMyBusId(), param, body));
    // The block as the program would send it back must be built from what was stored.
    if (SystemDataBlock::BuildFromCurrentSettings().size() != SystemDataBlock::kSize)
        __builtin_trap();
    s.line->takeWritten();
    return 0;
}
