#pragma once

#include <QObject>

// Relays the volume overlay's start and end between the data screens and the status bar.
class MiddleMan : public QObject
{
    Q_OBJECT
public:
    static MiddleMan* Get();

signals:
    void volumeBarDone();
    void volumeBarStart();

public slots:
    void passIconBarStatus() { emit volumeBarDone(); }
    void passVolumeBarStart() { emit volumeBarStart(); }

private:
    MiddleMan() = default;
};
