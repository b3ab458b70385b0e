#pragma once

#include "settings/cachedSetting.h"
#include "settings/muteUserSetting.h"

#include <QObject>

class QAbstractButton;

// The mute/volume button pair at the foot of the data views. In normal mode the left button
// toggles mute and the right one enters volume mode; in volume mode the two step the volume
// until the volume overlay closes. Only the volume steps repeat while a button is held: a
// held mute button would otherwise toggle ten times a second and end muted at random.
class VolumeButtons : public QObject
{
    Q_OBJECT
public:
    VolumeButtons(QAbstractButton* down, QAbstractButton* up, QObject* parent);

    bool isVolumeMode() const { return m_volumeMode; }

    void downClicked();
    void upClicked();
    // Puts the mute state on the left button; cheap when nothing changed, so views may call
    // it on every repaint.
    void showMuteState();
    // The volume overlay closed: back to the mute and "change volume" faces.
    void leaveVolumeMode();

signals:
    void volumeModeEntered();

private:
    void setRepeating(bool repeating);

    QAbstractButton* m_down;
    QAbstractButton* m_up;
    bool m_volumeMode = false;
    int m_muteIconShown = -1;              // mute state the left button shows, -1 = another icon
    CachedSetting<MuteUserSetting> m_mute; // read at every paint of the page
};
