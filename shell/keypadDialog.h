#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class KeypadDialog;
}

// The head's keypad as a modal dialog of the tools page; closing it in any way hands the
// head back to normal search.
class KeypadDialog : public QDialog
{
    Q_OBJECT
public:
    explicit KeypadDialog(QWidget* parent = nullptr);
    ~KeypadDialog() override;

private:
    std::unique_ptr<Ui::KeypadDialog> ui;
};
