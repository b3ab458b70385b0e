#include "screens/fft512.h"

#include <cmath>

// Built with -O3 (screens/CMakeLists.txt): the stage loops below are written so that the
// compiler vectorizes them.

namespace {

constexpr int N = Fft512::kSize;

struct Tables
{
    // Twiddles exp(-i pi j / h) of the stage whose butterflies span h, at [h, 2h): every
    // stage reads one contiguous run.
    alignas(16) float wr[N];
    alignas(16) float wi[N];

    Tables()
    {
        for (int h = 1; h < N; h *= 2) {
            for (int j = 0; j < h; ++j) {
                // Computed in double and rounded once: the float recurrence would drift.
                const double angle = -M_PI * j / h;
                wr[h + j] = float(std::cos(angle));
                wi[h + j] = float(std::sin(angle));
            }
        }
        wr[0] = 1;
        wi[0] = 0;
    }
};

const Tables kTables;

// One radix-2 stage: butterflies a' = a + b, b' = (a - b) * w over pairs H apart.
template <int H> inline void stage(float* __restrict re, float* __restrict im)
{
    const float* __restrict wr = kTables.wr + H;
    const float* __restrict wi = kTables.wi + H;
    for (int base = 0; base < N; base += 2 * H) {
        float* __restrict ar = re + base;
        float* __restrict ai = im + base;
        float* __restrict br = re + base + H;
        float* __restrict bi = im + base + H;
        for (int j = 0; j < H; ++j) {
            const float sr = ar[j] + br[j];
            const float si = ai[j] + bi[j];
            const float dr = ar[j] - br[j];
            const float di = ai[j] - bi[j];
            ar[j] = sr;
            ai[j] = si;
            br[j] = dr * wr[j] - di * wi[j];
            bi[j] = dr * wi[j] + di * wr[j];
        }
    }
}

// Two stages in one pass: the stage spanning 2H, then the stage spanning H, over the four
// values j, j + H, j + 2H, j + 3H of each block of 4H. The same butterflies as two passes
// of stage(), with half the loads and stores.
template <int H> inline void stagePair(float* __restrict re, float* __restrict im)
{
    const float* __restrict w1r = kTables.wr + 2 * H; // span 2H, first half of its run
    const float* __restrict w1i = kTables.wi + 2 * H;
    const float* __restrict w2r = kTables.wr + 3 * H; // span 2H, second half
    const float* __restrict w2i = kTables.wi + 3 * H;
    const float* __restrict wr = kTables.wr + H; // span H
    const float* __restrict wi = kTables.wi + H;
    for (int base = 0; base < N; base += 4 * H) {
        float* __restrict r0 = re + base;
        float* __restrict r1 = re + base + H;
        float* __restrict r2 = re + base + 2 * H;
        float* __restrict r3 = re + base + 3 * H;
        float* __restrict i0 = im + base;
        float* __restrict i1 = im + base + H;
        float* __restrict i2 = im + base + 2 * H;
        float* __restrict i3 = im + base + 3 * H;
        for (int j = 0; j < H; ++j) {
            // span 2H: (0, 2) with w1, (1, 3) with w2
            const float a0r = r0[j] + r2[j], a0i = i0[j] + i2[j];
            const float e0r = r0[j] - r2[j], e0i = i0[j] - i2[j];
            const float a1r = r1[j] + r3[j], a1i = i1[j] + i3[j];
            const float e1r = r1[j] - r3[j], e1i = i1[j] - i3[j];
            const float a2r = e0r * w1r[j] - e0i * w1i[j], a2i = e0r * w1i[j] + e0i * w1r[j];
            const float a3r = e1r * w2r[j] - e1i * w2i[j], a3i = e1r * w2i[j] + e1i * w2r[j];
            // span H: (0, 1) and (2, 3), both with w
            const float f0r = a0r - a1r, f0i = a0i - a1i;
            const float f1r = a2r - a3r, f1i = a2i - a3i;
            r0[j] = a0r + a1r;
            i0[j] = a0i + a1i;
            r1[j] = f0r * wr[j] - f0i * wi[j];
            i1[j] = f0r * wi[j] + f0i * wr[j];
            r2[j] = a2r + a3r;
            i2[j] = a2i + a3i;
            r3[j] = f1r * wr[j] - f1i * wi[j];
            i3[j] = f1r * wi[j] + f1i * wr[j];
        }
    }
}

// Four floats as one value; GCC and Clang map it onto SSE or NEON registers.
typedef float V4 __attribute__((vector_size(16)));

inline V4 load4(const float* p)
{
    V4 v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, V4 v)
{
    __builtin_memcpy(p, &v, sizeof v);
}

// Rows r0..r3 in, columns out: c[k] lane a = r[a] lane k.
inline void transpose(V4& r0, V4& r1, V4& r2, V4& r3)
{
    const V4 t0 = __builtin_shufflevector(r0, r1, 0, 4, 1, 5);
    const V4 t1 = __builtin_shufflevector(r0, r1, 2, 6, 3, 7);
    const V4 t2 = __builtin_shufflevector(r2, r3, 0, 4, 1, 5);
    const V4 t3 = __builtin_shufflevector(r2, r3, 2, 6, 3, 7);
    r0 = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    r1 = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    r2 = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    r3 = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

constexpr int kTiles = 32;

// 5-bit reversal of the tile numbers.
constexpr int reverse5(int q)
{
    return ((q & 1) << 4) | ((q & 2) << 2) | (q & 4) | ((q & 8) >> 2) | ((q & 16) >> 4);
}

// Results of the last two stages for one tile, as the rows they are written to.
struct Tile
{
    V4 re[4];
    V4 im[4];
};

inline Tile lastStagesOfTile(const float* re, const float* im, int q)
{
    // Rows in the order a = 0, 2, 1, 3, so that the lanes come out in bit-reversed order.
    static constexpr int kRowOrder[4] = {0, 2, 1, 3};
    V4 r[4];
    V4 m[4];
    for (int k = 0; k < 4; ++k) {
        r[k] = load4(re + 128 * kRowOrder[k] + 4 * q);
        m[k] = load4(im + 128 * kRowOrder[k] + 4 * q);
    }
    transpose(r[0], r[1], r[2], r[3]);
    transpose(m[0], m[1], m[2], m[3]);
    const V4 s0r = r[0] + r[2], s0i = m[0] + m[2];
    const V4 s1r = r[1] + r[3], s1i = m[1] + m[3];
    const V4 d0r = r[0] - r[2], d0i = m[0] - m[2];
    const V4 d1r = m[1] - m[3], d1i = r[3] - r[1]; // (x1 - x3) * -i
    // Element b goes to row rev(b): 0, 2, 1, 3.
    return {{s0r + s1r, d0r + d1r, s0r - s1r, d0r - d1r},
            {s0i + s1i, d0i + d1i, s0i - s1i, d0i - d1i}};
}

inline void storeTile(float* re, float* im, int q, const Tile& t)
{
    for (int row = 0; row < 4; ++row) {
        store4(re + 128 * row + 4 * q, t.re[row]);
        store4(im + 128 * row + 4 * q, t.im[row]);
    }
}

// The last two stages (their twiddles are 1 and -i: no multiplications) and the bit
// reversal in one pass. Index i = 128a + 4q + b (a, b: 2 bits, q: 5 bits) holds, after the
// last two stages on its group of four, the value whose bit-reversed index is
// 128 rev(b) + 4 rev(q) + rev(a). Tile q, the four groups 128a + 4q, is read as rows and
// transposed, so each vector carries one element b of four groups and the butterflies run
// across them; each result vector is then one contiguous row of tile rev(q). Tiles q and
// rev(q) are read before either is written, so the pass stays in place.
inline void lastStagesAndBitReversal(float* re, float* im)
{
    for (int q = 0; q < kTiles; ++q) {
        const int rq = reverse5(q);
        if (rq < q)
            continue; // done with its partner
        const Tile a = lastStagesOfTile(re, im, q);
        if (rq == q) {
            storeTile(re, im, q, a);
            continue;
        }
        const Tile b = lastStagesOfTile(re, im, rq);
        storeTile(re, im, rq, a);
        storeTile(re, im, q, b);
    }
}

} // namespace

namespace Fft512 {

void Forward(float* re, float* im)
{
    stagePair<128>(re, im);
    stagePair<32>(re, im);
    stagePair<8>(re, im);
    stage<4>(re, im);
    lastStagesAndBitReversal(re, im);
}

} // namespace Fft512
