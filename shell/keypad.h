#pragma once

#include "shell/pendingScreen.h"

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
