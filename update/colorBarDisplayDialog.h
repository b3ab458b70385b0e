#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;

// Red, green, blue and white bands over the whole panel, to judge the display. A tap
// closes it; after 10 s a caption says so.
class ColorBarDisplayDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kCaptionDelayMs = 10000;

    explicit ColorBarDisplayDialog(QWidget* parent = nullptr);

    QLabel* caption() const { return m_caption; }

public slots:
    void TimerExpired();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QTimer m_timer;
    QLabel* m_caption = nullptr;
};
