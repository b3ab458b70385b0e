#pragma once

#include <QColor>
#include <QDialog>

#include <memory>

class Diagnostics;

namespace Ui {
class DiagnosticsDialog;
}

// The self-test's result page: every line the test writes, in a read-only text area, the
// failures in the form's fail colour. Cancel closes it while the test runs, OK once it has
// finished. The tests start with the dialog, so the file tests are done before it shows.
class DiagnosticsDialog : public QDialog
{
    Q_OBJECT
    // Set by the form's style sheet, with the rest of the page's colours.
    Q_PROPERTY(QColor failColor MEMBER m_failColor)
public:
    explicit DiagnosticsDialog(QWidget* parent = nullptr);
    ~DiagnosticsDialog() override;

    Diagnostics* diagnostics() const { return m_diagnostics; }
    QColor failColor() const { return m_failColor; }

private:
    void appendLine(const QString& line);
    void showFinished();

    std::unique_ptr<Ui::DiagnosticsDialog> m_ui;
    Diagnostics* m_diagnostics;
    QColor m_failColor;
};
