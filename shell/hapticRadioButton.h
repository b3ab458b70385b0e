#pragma once

#include <QRadioButton>

// A radio button that gives a vibration pulse on press when touch feedback is on.
class HapticRadioButton : public QRadioButton
{
    Q_OBJECT
    Q_PROPERTY(unsigned char vibrateMsec READ vibrateMsec WRITE setVibrateMsec)
public:
    explicit HapticRadioButton(const QString& text, QWidget* parent = nullptr);
    explicit HapticRadioButton(QWidget* parent = nullptr);

    unsigned char vibrateMsec() const { return m_vibrateMsec; }
    void setVibrateMsec(unsigned char msec) { m_vibrateMsec = msec; }

public slots:
    void ConnectWithBaseSignal();
    void VibrateOnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    // The whole row answers a touch, not only the indicator and the text: a finger that
    // lands beside a short label still picks the option.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    unsigned char m_vibrateMsec = 50;
};
