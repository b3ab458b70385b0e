#pragma once

#include "shell/pendingScreen.h"

// Page of the screen stack; the screen itself is still to be built.
class ChartDisplay : public PendingScreen
{
    Q_OBJECT
public:
    explicit ChartDisplay(QWidget* parent = nullptr) : PendingScreen(parent)
    {
        setObjectName(QStringLiteral("ChartDisplay"));
    }
};
