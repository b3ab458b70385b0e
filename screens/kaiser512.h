#pragma once

namespace Kaiser512 {
constexpr int kSize = 512;
}

// The spectral view's window: Kaiser, beta = 10, over 512 points; symmetric. Constant data
// written by scripts/gen-kaiser512, so nothing is computed at run time.
extern const float kaiser512[Kaiser512::kSize];
