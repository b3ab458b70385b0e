#include "update/diagnosticsDialog.h"

#include "ui_diagnosticsDialog.h"
#include "update/diagnostics.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>

namespace {
bool isFailure(const QString& line)
{
    return line.startsWith(QLatin1String("FAIL: ")) || line == QLatin1String("TIMEOUT FAILURE!");
}
} // namespace

DiagnosticsDialog::DiagnosticsDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::DiagnosticsDialog>()),
      m_diagnostics(new Diagnostics(this))
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    // The style sheet sets the fail colour when the dialog is polished; the first lines are
    // written before it is shown.
    ensurePolished();
    // OK and Cancel would both only close it: one button, for what closing means now.
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->hide();
    connect(m_diagnostics, &Diagnostics::LineWritten, this, &DiagnosticsDialog::appendLine);
    connect(m_diagnostics, &Diagnostics::Finished, this, &DiagnosticsDialog::showFinished);
    m_diagnostics->Start();
}

DiagnosticsDialog::~DiagnosticsDialog() = default;

void DiagnosticsDialog::appendLine(const QString& line)
{
    QPlainTextEdit* text = m_ui->plainTextEdit;
    // A line wraps between words only: "read-only" stays whole on the narrow panel.
    static const QRegularExpression kInWordHyphen(QStringLiteral("(?<=\\w)-(?=\\w)"));
    text->appendPlainText(QString(line).replace(kInWordHyphen, QString(QChar(0x2011))));
    if (!isFailure(line) || !m_failColor.isValid())
        return;
    QTextCursor cursor(text->document()->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setForeground(m_failColor);
    cursor.mergeCharFormat(format);
}

void DiagnosticsDialog::showFinished()
{
    m_ui->buttonBox->button(QDialogButtonBox::Cancel)->hide();
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->show();
}
