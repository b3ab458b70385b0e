#pragma once

#include "settings/headlightUserSetting.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <memory>

class PanelMessageBox;
class QLabel;
class QState;
class QStateMachine;
class QTimer;

namespace Ui {
class IconStatusBar;
}

// The strip across the top of every screen: time, battery or mains, headlight (tap to
// toggle), the screenshot button and the target classification, in whose place a crossed
// antenna stands while the head does not answer. For two seconds after a
// volume change it shows a volume bar instead, after a screenshot the outcome of the save,
// and once when the settings can no longer be stored; a small state machine with property restore
// switches between these faces.
class IconStatusBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kStripHeight = 40;
    static constexpr int kFaceMs = 2000;
    static constexpr int kSlideInMs = 200;

    enum Face
    {
        eIconsFace,
        eVolumeFace,
        eSavedFace,
        eSaveFailedFace,
        eUnsavedSettingsFace, // the settings store took no change
        eNoFace,              // the state machine has not started yet
    };

    explicit IconStatusBar(QWidget* parent = nullptr);
    ~IconStatusBar() override;

    Face currentFace() const;
    // The volume bar's place on the strip, and where it slides in from.
    QRect volumeBarRect() const { return m_volumeBarRect; }
    QRect volumeBarStartRect() const;

    // The battery icon for a charge in percent, or the mains icon.
    static QPixmap BatteryIcon(int percent, bool mainsConnected);
    // The battery icon before the battery board has reported a charge: the empty battery
    // in grey with a question mark, unlike the empty one on red of a flat battery.
    static QPixmap NoBatteryDataIcon();

    // The low-battery notice while it is shown.
    PanelMessageBox* lowBatteryNotice() const { return m_lowBatteryNotice; }

public slots:
    void IndicateCorrosiveDetected();
    void IndicateSemiconductorDetected();
    void IndicateIndeterminateStateDetected();
    void IndicateEnteredFreqScanMode();
    // The head's controllers stopped answering, and all answer again.
    void IndicateHeadSilent();
    void IndicateHeadAnswering();
    void UpdateTime();
    void NewBatteryStatus();
    void UpdateSettingsIcons();
    void on_flashLightButton_clicked();
    void VolumeValueChanged();
    void ShowLowBatteryNotice(int percent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildFaces();
    QState* addMessageFace(QState* root, const QString& message);
    void setStatusIcon(const char* path);
    void showStatusIcon();

    std::unique_ptr<Ui::IconStatusBar> ui;
    HeadlightUserSetting m_headlight;
    QStateMachine* m_faces = nullptr;
    QState* m_iconsFace = nullptr;
    QState* m_volumeFace = nullptr;
    QState* m_savedFace = nullptr;
    QState* m_saveFailedFace = nullptr;
    QState* m_unsavedSettingsFace = nullptr;
    QRect m_volumeBarRect;
    QTimer* m_faceTimer = nullptr;
    QLabel* m_messageLabel = nullptr;
    QPointer<PanelMessageBox> m_lowBatteryNotice;
    const char* m_statusIcon = nullptr; // the classification, while the head answers
    bool m_headSilent = false;
};
