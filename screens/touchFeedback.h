#pragma once

// The vibration the screens give a touch: one pulse for a touch of a bar or a button, and
// one for every few steps of a held volume (or arrow) button.
namespace TouchFeedback {
constexpr unsigned char kTouchPulseMs = 50;
constexpr unsigned int kPulseEveryRepeats = 5;
} // namespace TouchFeedback
