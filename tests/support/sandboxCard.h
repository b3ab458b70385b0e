#pragma once

class FakeDevice;

namespace SandboxCard {
// Puts a mounted micro SD card into the sandboxed slot, or takes it out. The card monitor
// sees it at its next poll.
void SetReady(bool ready);
} // namespace SandboxCard

// The bus on a fake line, with the settings service created and answered by the head, so
// that it sends nothing of its own during a test.
FakeDevice* InstallLineWithSyncedSettings();
