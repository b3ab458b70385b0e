#pragma once

#include <QWidget>

// Base of a page whose screen is not built yet: it shows nothing and a tap returns to
// the home screen, so that no page can trap the operator.
class PendingScreen : public QWidget
{
    Q_OBJECT
public:
    explicit PendingScreen(QWidget* parent = nullptr) : QWidget(parent) {}

signals:
    void homeSelected();

protected:
    void mousePressEvent(QMouseEvent*) override { emit homeSelected(); }
};
