#pragma once

#include <QObject>

// Sends the grip's vibration pulses.
class HapticService : public QObject
{
    Q_OBJECT
public:
    static HapticService* Get();

    void OneShotVibrate(unsigned char pulseMs);
    // Only when the operator enabled feedback on touch.
    void OneShotVibrateIfEnabled(unsigned char pulseMs);

private:
    HapticService() = default;
};
