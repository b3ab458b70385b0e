#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class ToolsSubscreen;
}

// The service functions of the grip: touch calibration, factory reset, colour bars, the
// self-test and the keypad screen. The page keeps no state; each tool runs as a dialog.
class ToolsSubscreen : public QWidget
{
    Q_OBJECT
public:
    // The pause between the instructions and the calibration targets, so that the tap on
    // OK does not count as the first target.
    static constexpr int kCalibrationDelayMs = 500;

    explicit ToolsSubscreen(QWidget* parent = nullptr);
    ~ToolsSubscreen() override;

public slots:
    void on_tsCalibrationButton_clicked();
    void on_factoryResetButton_clicked();
    void on_diagButton_clicked();
    void on_colorBarsButton_clicked();
    void on_pushButton_clicked();

private:
    void runCalibration();

    std::unique_ptr<Ui::ToolsSubscreen> m_ui;
};
