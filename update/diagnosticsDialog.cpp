#include "update/diagnosticsDialog.h"

#include "ui_diagnosticsDialog.h"
#include "update/diagnostics.h"

DiagnosticsDialog::DiagnosticsDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::DiagnosticsDialog>()),
      m_diagnostics(new Diagnostics(this))
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    connect(m_diagnostics, &Diagnostics::LineWritten, m_ui->plainTextEdit,
            &QPlainTextEdit::appendPlainText);
    m_diagnostics->Start();
}

DiagnosticsDialog::~DiagnosticsDialog() = default;
