#pragma once

#include "shell/pendingScreen.h"

#include <QDialog>

// Page of the screen stack; the screen itself is still to be built.
class Keypad : public PendingScreen
{
    Q_OBJECT
public:
    explicit Keypad(QWidget* parent = nullptr) : PendingScreen(parent)
    {
        setObjectName(QStringLiteral("Keypad"));
    }
signals:
    void setupSelected();
};

// The keypad run as a dialog from the tools page; still to be built.
class KeypadDialog : public QDialog
{
    Q_OBJECT
public:
    explicit KeypadDialog(QWidget* parent = nullptr) : QDialog(parent) {}
};
