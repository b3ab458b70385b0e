#pragma once

#include <QByteArray>
#include <QVector>

#include <optional>

// The operating settings the master controller keeps, in the order of the 28-byte system
// data block it reports.
struct HeadSettings
{
    static constexpr int kBlockSize = 28;

    quint8 operatingMode = 1; // search with tone
    quint8 freqMode = 1;
    quint8 powerLevel = 15;
    quint8 txPowerMode = 1;
    quint32 frequencyHz = 2404000000u;
    quint8 audioSource = 1;
    quint8 dspGainLevel = 1;
    quint8 volumeMute = 20; // bits 0-6 volume, bit 7 mute
    quint8 tripLevel = 10;
    quint8 brightness = 2;
    quint8 headlight = 0;
    quint8 targetVibration = 0;
    quint8 standbyTime = 5;
    quint8 autoPowerOff = 2;
    quint8 toneStyle = 3;
    quint8 flags = 0; // bit 0: power on with the stored user settings
    quint8 region = 33;

    QByteArray toBlock() const;
    // Nothing for a body that is not a whole block starting "VEK0".
    static std::optional<HeadSettings> fromBlock(const QByteArray& block);
};

// A regulatory zone: the transmit limits and the frequency grid of the scan plots.
struct Zone
{
    quint8 code = 0;
    quint32 lowerHz = 0;
    quint32 upperHz = 0;
    quint32 stepHz = 0;
    quint8 flags = 0; // bit 2: narrow marker, spectral display hidden
    quint16 baseMHz = 0;
    quint16 steps = 0;

    QByteArray record() const; // zone record of a zone answer, 18 bytes
    QByteArray range() const;  // frequency range report, 11 bytes
    quint32 clamp(quint32 hz) const;
};

// The zones a head of either band offers: the regions (codes 32 and up) that its zone
// list names, then the model codes.
QVector<Zone> zonesFor(bool band900);
