#pragma once

#include <QPushButton>

// A push button that gives a vibration pulse on every press when touch feedback is on.
// Held while auto-repeating, it steps with the repeats only: Qt would end the hold with one
// more click on release, a step the operator never saw coming.
class HapticPushButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(unsigned char vibrateMsec READ vibrateMsec WRITE setVibrateMsec)
public:
    HapticPushButton(const QIcon& icon, const QString& text, QWidget* parent = nullptr);
    explicit HapticPushButton(const QString& text, QWidget* parent = nullptr);
    explicit HapticPushButton(QWidget* parent = nullptr);

    unsigned char vibrateMsec() const { return m_vibrateMsec; }
    void setVibrateMsec(unsigned char msec) { m_vibrateMsec = msec; }
    // While auto-repeating, vibrate on every n-th press only (0: every press).
    void setVibrateModuloWhenAutoRepeat(unsigned int modulo) { m_repeatModulo = modulo; }

public slots:
    void ConnectWithBaseSignal();
    void VibrateOnClick();
    void ResetModuloCount() { m_pressCount = 0; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void connectSignals();

    unsigned char m_vibrateMsec = 50;
    unsigned int m_repeatModulo = 0;
    unsigned int m_pressCount = 0;
    bool m_repeatedThisHold = false; // an auto-repeat click came since the last press
};
