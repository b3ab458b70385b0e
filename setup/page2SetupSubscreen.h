#pragma once

#include "setup/setupSubScreen.h"

#include <QWidget>

#include <memory>

namespace Ui {
class Page2SetupSubscreen;
}

// Second setup page: tone, timers, vibration, chart and headlight.
class Page2SetupSubscreen : public QWidget
{
    Q_OBJECT
public:
    explicit Page2SetupSubscreen(QWidget* parent = nullptr);
    ~Page2SetupSubscreen() override;

signals:
    void SubSelected(SetupSubScreenT whichSub);

public slots:
    void on_toneStyleButton_clicked();
    void on_autoPowerOffButton_clicked();
    void on_hapticButton_clicked();
    void on_standbyTimeButton_clicked();
    void on_chartTimeButton_clicked();
    void on_headlightButton_clicked();

private:
    std::unique_ptr<Ui::Page2SetupSubscreen> ui;
};
