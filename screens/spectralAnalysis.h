#pragma once

#include "shell/pendingScreen.h"

// Page of the screen stack; the screen itself is still to be built.
class SpectralAnalysis : public PendingScreen
{
    Q_OBJECT
public:
    explicit SpectralAnalysis(QWidget* parent = nullptr) : PendingScreen(parent)
    {
        setObjectName(QStringLiteral("SpectralAnalysis"));
    }
public slots:
    void startTimer() {}
};
