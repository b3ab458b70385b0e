#pragma once

#include "board/board.h"

#include <QDialog>
#include <QPointF>

class QLabel;
#include <QVector>

// Five crosshairs, one after the other, each to be tapped: top-left, bottom-left,
// bottom-right, top-right and centre. The fifth tap hands the taps to the board layer,
// which turns them into the touch calibration of the next start.
class TouchScreenCalibrate : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kPoints = 5;
    static constexpr int kBarLength = 21;
    static constexpr int kBarWidth = 3;

    explicit TouchScreenCalibrate(QWidget* parent = nullptr);

    // The targets on a screen of this size, in the order they are shown.
    static QVector<QPointF> ScreenPoints(const QSize& size);
    // The target the next tap is for; the last one once all are taken.
    QPoint CurrentTarget() const;
    int TapsTaken() const { return m_taps.size(); }
    Board::TouchCalibrationResult calibrationResult() const { return m_result; }

public slots:
    void accept() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showStep();

    QLabel* m_step = nullptr; // which tap this is, away from every target
    QVector<QPointF> m_taps;
    // The target shown at each tap: the window may still be settling into its size.
    QVector<QPointF> m_targets;
    Board::TouchCalibrationResult m_result = Board::TouchCalibrationResult::Rejected;
};
