#include "setup/toolsSubscreen.h"

#include "settings/userSettingsService.h"
#include "shell/keypad.h"
#include "shell/panelDialogs.h"
#include "ui_toolsSubscreen.h"
#include "update/colorBarDisplayDialog.h"
#include "update/diagnosticsDialog.h"
#include "update/touchScreenCalibrate.h"

#include <QTimer>

namespace {

QString calibrationOutcome(Board::TouchCalibrationResult result)
{
    switch (result) {
    case Board::TouchCalibrationResult::Saved:
        // tslib reads the record when the program starts; nothing can hand it over sooner.
        return QStringLiteral("Touch screen calibration is complete! It takes effect when "
                              "the program next starts.");
    case Board::TouchCalibrationResult::Rejected:
        return QStringLiteral("The taps were too far from the crosshairs. The calibration is "
                              "unchanged; please try again.");
    case Board::TouchCalibrationResult::NotWritten:
        break;
    }
    return QStringLiteral("The calibration could not be saved. The calibration is unchanged.");
}

} // namespace

ToolsSubscreen::ToolsSubscreen(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ToolsSubscreen>())
{
    m_ui->setupUi(this);
}

ToolsSubscreen::~ToolsSubscreen() = default;

void ToolsSubscreen::on_tsCalibrationButton_clicked()
{
    PanelMessageBox instructions(
        QMessageBox::Information, QStringLiteral("Instructions"),
        QStringLiteral("Carefully and briefly tap each crosshair indicator that appears on the "
                       "next screen."),
        QMessageBox::Ok | QMessageBox::Cancel, this);
    instructions.setWindowIcon(m_ui->tsCalibrationButton->icon());
    instructions.setWindowState(Qt::WindowMaximized);
    if (instructions.exec() != QMessageBox::Ok)
        return;
    QTimer::singleShot(kCalibrationDelayMs, this, &ToolsSubscreen::runCalibration);
}

void ToolsSubscreen::runCalibration()
{
    TouchScreenCalibrate calibrate(this);
    if (calibrate.exec() != QDialog::Accepted)
        return;
    const bool saved = calibrate.calibrationResult() == Board::TouchCalibrationResult::Saved;
    PanelMessageBox done(saved ? QMessageBox::Information : QMessageBox::Warning,
                         saved ? QStringLiteral("Done!") : QStringLiteral("Calibration"),
                         calibrationOutcome(calibrate.calibrationResult()), QMessageBox::Ok, this);
    done.setWindowIcon(m_ui->tsCalibrationButton->icon());
    done.exec();
}

void ToolsSubscreen::on_factoryResetButton_clicked()
{
    // The buttons touch in the grid: a slip onto this one must not cost every setting.
    const QIcon icon = m_ui->factoryResetButton->icon();
    PanelMessageBox question(QMessageBox::Question, tr("Factory Reset"),
                             tr("Reset all settings to factory defaults?"),
                             QMessageBox::Reset | QMessageBox::Cancel, this);
    question.setDefaultButton(QMessageBox::Cancel);
    question.setWindowIcon(icon);
    if (question.exec() != QMessageBox::Reset)
        return;
    UserSettingsService::Get()->SetToDefaultUserSettings();
    PanelMessageBox done(QMessageBox::Information, tr("Factory Reset"),
                         tr("All settings are back to their factory defaults."), QMessageBox::Ok,
                         this);
    done.setWindowIcon(icon);
    done.exec();
}

void ToolsSubscreen::on_diagButton_clicked()
{
    // Maximised but not yet shown: a dialog already visible would not become modal.
    DiagnosticsDialog dialog(this);
    dialog.setWindowState(Qt::WindowMaximized);
    dialog.exec();
}

void ToolsSubscreen::on_colorBarsButton_clicked()
{
    ColorBarDisplayDialog dialog(this);
    dialog.exec();
}

void ToolsSubscreen::on_pushButton_clicked()
{
    KeypadDialog dialog(this);
    dialog.setWindowState(Qt::WindowMaximized);
    dialog.exec();
}
