#include "screens/volumeButtons.h"

#include "settings/muteUserSetting.h"
#include "settings/volumeUserSetting.h"

#include <QAbstractButton>

namespace {
QIcon icon(const char* name)
{
    return QIcon(QStringLiteral(":/:/images/images/") + QLatin1String(name));
}
} // namespace

VolumeButtons::VolumeButtons(QAbstractButton* down, QAbstractButton* up, QObject* parent)
    : QObject(parent), m_down(down), m_up(up)
{
    setRepeating(false);
}

void VolumeButtons::setRepeating(bool repeating)
{
    m_down->setAutoRepeat(repeating);
    m_up->setAutoRepeat(repeating);
}

void VolumeButtons::downClicked()
{
    if (m_volumeMode) {
        VolumeUserSetting().Decrement();
        return;
    }
    MuteUserSetting().Toggle();
    showMuteState();
}

void VolumeButtons::upClicked()
{
    if (m_volumeMode) {
        VolumeUserSetting().Increment();
        return;
    }
    m_volumeMode = true;
    m_muteIconShown = -1;
    m_down->setIcon(icon("audio_down.png"));
    m_up->setIcon(icon("audio_up.png"));
    setRepeating(true);
    emit volumeModeEntered();
}

void VolumeButtons::showMuteState()
{
    const int muted = m_mute.Get() != 0 ? 1 : 0;
    if (muted == m_muteIconShown)
        return;
    m_muteIconShown = muted;
    m_down->setIcon(icon(muted ? "audio_off.png" : "audio_on.png"));
}

void VolumeButtons::leaveVolumeMode()
{
    // A button still held keeps its press but stops stepping.
    setRepeating(false);
    m_volumeMode = false;
    showMuteState();
    m_up->setIcon(icon("audio_change.png"));
}
