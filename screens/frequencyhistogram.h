#pragma once

#include "screens/headType.h"
#include "shell/pendingScreen.h"

// Page of the screen stack; the screen itself is still to be built.
class FrequencyHistogram : public PendingScreen
{
    Q_OBJECT
public:
    explicit FrequencyHistogram(QWidget* parent = nullptr) : PendingScreen(parent)
    {
        setObjectName(QStringLiteral("FrequencyHistogram"));
    }
public slots:
    void initializeFrequencyValue() {}
    void setHeadType(eHeadTypeIdT) {}
};
