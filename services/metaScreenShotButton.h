#pragma once

#include "shell/hapticPushButton.h"

#include <QPalette>

#include <memory>

class MetaScreenShot;
class QTimer;

// The status bar's camera button: saves an annotated screenshot to the SD card, asks for a
// card when none is ready, and fails at once on a read-only card.
class MetaScreenShotButton : public HapticPushButton
{
    Q_OBJECT
public:
    static constexpr int kFlashMs = 100;

    MetaScreenShotButton(const QIcon& icon, const QString& text, QWidget* parent = nullptr);
    explicit MetaScreenShotButton(const QString& text, QWidget* parent = nullptr);
    explicit MetaScreenShotButton(QWidget* parent = nullptr);
    ~MetaScreenShotButton() override;

    MetaScreenShot* sheet() const { return m_sheet.get(); }

signals:
    void ScreenShotComplete();
    // The screenshot could not be written to the card, or the card is read-only.
    void ScreenShotFailed();

public slots:
    void ConnectWithBaseSignal();
    void TakeMetaScreenShot();
    void RevertColorToNormal();

private:
    void init();

    QPalette m_normalPalette;
    QTimer* m_revertTimer = nullptr;
    std::unique_ptr<MetaScreenShot> m_sheet;
};
