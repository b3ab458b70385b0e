#pragma once

// The spectral view's transform: an in-place radix-2 decimation-in-frequency FFT of 512
// points on split real and imaginary arrays, in single precision, with the output put back
// in natural order. X[k] = sum over n of x[n] * exp(-2 pi i k n / 512), unscaled.
namespace Fft512 {

constexpr int kSize = 512;

// re and im hold 512 values each and must not overlap.
void Forward(float* re, float* im);

} // namespace Fft512
