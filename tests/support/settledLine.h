#pragma once

class FakeDevice;

namespace QuarnTest {

// Puts the bus on a fake line over a sandboxed settings store. Call once.
FakeDevice* InstallFakeLine();

// Puts the bus on a fake line over a sandboxed settings store, creates the settings
// service and answers its first system-data request, so that the service sends nothing of
// its own while the screens under test talk. Call once, before the screens are built.
FakeDevice* InstallSettledLine();

} // namespace QuarnTest
