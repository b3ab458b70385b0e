#pragma once

// The transmit-power bar that the bar graph, the chart and the spectrum draw beside their
// plots: 8.3 pixels per transmit-power unit, 166 pixels at full scale.
namespace PowerBar {

constexpr int kFullScaleTxPower = 20;

// A reading above full scale (a damaged or foreign result) fills the bar and no more,
// as the RX bars stop at their full-scale reading.
constexpr int Height(int txPower)
{
    const int tx = txPower < 0 ? 0 : (txPower > kFullScaleTxPower ? kFullScaleTxPower : txPower);
    return tx * 830 / 100;
}

// Marker offset for a power or trip level: where a power bar of that many units would end.
constexpr int LevelOffset(int level)
{
    return (5 * level) * 166 / 100;
}

} // namespace PowerBar
