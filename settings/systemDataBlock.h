#pragma once

#include "bus/systemDataMsgs.h"

#include <QByteArray>

// Layout of the system data block: all of the head's operating settings in one 28-byte
// body, multi-byte values little-endian. Offsets not named here are reserved and sent as 0.
namespace SystemDataBlock {
constexpr int kSize = SetSystemDataMsg::kBlockSize;
constexpr char kSignature[] = "VEK0";

constexpr int kOperatingMode = 4; // head operating-mode code
constexpr int kFreqMode = 5;
constexpr int kPowerLevel = 6;
constexpr int kTxPowerMode = 7;
constexpr int kFrequency = 8; // 4 bytes
constexpr int kAudioSource = 12;
constexpr int kDspGainLevel = 13;
constexpr int kVolumeMute = 15; // bits 0 to 6 volume, bit 7 mute
constexpr int kTripLevel = 16;
constexpr int kBrightness = 17;
constexpr int kHeadlight = 19;
constexpr int kTargetHaptic = 20; // 0 no vibration on target, else the pulse width
constexpr int kStandbyTime = 21;
constexpr int kAutoPowerOff = 22;
constexpr int kToneStyle = 25;
constexpr int kFlags = 26; // bit 0: power on with the internal profile
constexpr int kRegion = 27;

constexpr quint8 kFlagStartupInternal = 0x01;

// The block as the head should hold it, read from the live store.
QByteArray BuildFromCurrentSettings();
} // namespace SystemDataBlock
