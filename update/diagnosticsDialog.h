#pragma once

#include <QDialog>

#include <memory>

class Diagnostics;

namespace Ui {
class DiagnosticsDialog;
}

// The self-test's result page: every line the test writes, in a read-only text area; OK or
// Cancel closes it. The tests start with the dialog, so the file tests are done before it
// shows.
class DiagnosticsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DiagnosticsDialog(QWidget* parent = nullptr);
    ~DiagnosticsDialog() override;

    Diagnostics* diagnostics() const { return m_diagnostics; }

private:
    std::unique_ptr<Ui::DiagnosticsDialog> m_ui;
    Diagnostics* m_diagnostics;
};
