#pragma once

namespace SandboxCard {
// Puts a mounted micro SD card into the sandboxed slot, or takes it out. The card monitor
// sees it at its next poll.
void SetReady(bool ready);
} // namespace SandboxCard
