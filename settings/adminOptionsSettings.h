#pragma once

#include "settings/userSettingInt.h"

// Feature bits that the head reports in its system information; every Set echoes the word
// to the head.
class AdminOptionsSettings : public UserSettingInt<unsigned short>
{
public:
    static constexpr unsigned short kRegionChangeAllowed = 0x1010; // either bit
    static constexpr unsigned short kNonRegulatedFreqModes = 0x0020;
    static constexpr unsigned short kHeadVariant900 = 0x0040;
    static constexpr unsigned short kHarmonicListening = 0x0400;
    // The bits the head reports as far as this program knows them, the default's among them.
    static constexpr unsigned short kKnownBits = 0x2003 | kRegionChangeAllowed |
                                                 kNonRegulatedFreqModes | kHeadVariant900 |
                                                 kHarmonicListening;

    AdminOptionsSettings();
    void Set(unsigned short value) override;
    // A word from outside the head (a profile) may not unlock features the program does not
    // know of.
    bool Accepts(qint64 value) const override;

    bool IsRegionChangeAllowed() const { return (Get() & kRegionChangeAllowed) != 0; }
    bool AreNonRegulatedFreqModesAllowed() const { return (Get() & kNonRegulatedFreqModes) != 0; }
    bool IsHeadVariant900() const { return (Get() & kHeadVariant900) != 0; }
    bool IsHarmonicListeningAllowed() const { return (Get() & kHarmonicListening) != 0; }
};
