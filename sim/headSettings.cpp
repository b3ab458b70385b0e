#include "sim/headSettings.h"

#include "bus/msgShapes.h"

QByteArray HeadSettings::toBlock() const
{
    QByteArray block("VEK0");
    block.reserve(kBlockSize);
    block.append(char(operatingMode));
    block.append(char(freqMode));
    block.append(char(powerLevel));
    block.append(char(txPowerMode));
    appendLe32(block, frequencyHz);
    block.append(char(audioSource));
    block.append(char(dspGainLevel));
    block.append('\0');
    block.append(char(volumeMute));
    block.append(char(tripLevel));
    block.append(char(brightness));
    block.append('\0');
    block.append(char(headlight));
    block.append(char(targetVibration));
    block.append(char(standbyTime));
    block.append(char(autoPowerOff));
    block.append('\0');
    block.append('\0');
    block.append(char(toneStyle));
    block.append(char(flags));
    block.append(char(region));
    return block;
}

std::optional<HeadSettings> HeadSettings::fromBlock(const QByteArray& block)
{
    if (block.size() != kBlockSize || !block.startsWith("VEK0"))
        return std::nullopt;
    auto at = [&block](int i) { return quint8(block.at(i)); };
    HeadSettings s;
    s.operatingMode = at(4);
    s.freqMode = at(5);
    s.powerLevel = at(6);
    s.txPowerMode = at(7);
    s.frequencyHz =
        quint32(at(8)) | quint32(at(9)) << 8 | quint32(at(10)) << 16 | quint32(at(11)) << 24;
    s.audioSource = at(12);
    s.dspGainLevel = at(13);
    s.volumeMute = at(15);
    s.tripLevel = at(16);
    s.brightness = at(17);
    s.headlight = at(19);
    s.targetVibration = at(20);
    s.standbyTime = at(21);
    s.autoPowerOff = at(22);
    s.toneStyle = at(25);
    s.flags = at(26);
    s.region = at(27);
    return s;
}

QByteArray Zone::record() const
{
    QByteArray r;
    appendLe32(r, lowerHz);
    appendLe32(r, upperHz);
    appendLe32(r, stepHz);
    r.append(char(code));
    r.append(char(flags));
    appendLe16(r, baseMHz);
    appendLe16(r, steps);
    return r;
}

QByteArray Zone::range() const
{
    QByteArray r;
    appendLe32(r, lowerHz);
    appendLe32(r, upperHz);
    appendLe16(r, baseMHz);
    r.append(char(steps));
    return r;
}

quint32 Zone::clamp(quint32 hz) const
{
    return qBound(lowerHz, hz, upperHz);
}

QVector<Zone> zonesFor(bool band900)
{
    constexpr quint32 MHz = 1000000;
    // The two models answer with the zones of the CE and FCC regions under their own codes.
    const auto withModels = [](QVector<Zone> regions) {
        Zone ceModel = regions.at(0);
        ceModel.code = 14;
        Zone highPower = regions.at(1);
        highPower.code = 15;
        regions << ceModel << highPower;
        return regions;
    };
    if (band900)
        return withModels({{32, 869525000, 869525000, 25000, 4, 840, 121},
                           {33, 902 * MHz, 928 * MHz, MHz, 0, 840, 121},
                           {34, 840 * MHz, 960 * MHz, MHz, 0, 840, 121},
                           {35, 864 * MHz, 870 * MHz, MHz, 0, 840, 121},
                           {36, 902 * MHz, 907 * MHz, MHz, 0, 840, 121}});
    return withModels({{32, 2446 * MHz, 2454 * MHz, MHz, 0, 2400, 84},
                       {33, 2404 * MHz, 2472 * MHz, MHz, 0, 2400, 84},
                       {34, 2400 * MHz, 2483 * MHz, MHz, 0, 2400, 84},
                       {35, 2410 * MHz, 2470 * MHz, MHz, 0, 2400, 84},
                       {36, 2402 * MHz, 2480 * MHz, MHz, 0, 2400, 84}});
}
