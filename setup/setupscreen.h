#pragma once

#include "screens/headType.h"
#include "shell/pendingScreen.h"

// Page of the screen stack; the screen itself is still to be built.
class SetupScreen : public PendingScreen
{
    Q_OBJECT
public:
    explicit SetupScreen(QWidget* parent = nullptr) : PendingScreen(parent)
    {
        setObjectName(QStringLiteral("SetupScreen"));
    }
public slots:
    void matchCountryScreenToHeadType(eHeadTypeIdT) {}
};
