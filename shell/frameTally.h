#pragma once

#include <QObject>

class QuarnBus;
class QSocketNotifier;

// The desktop build's count of what the bus's receiver made of the line: frames handled
// and frames given up, by reason. Written to standard output on SIGUSR1 and at exit, so
// that a soak run can hold it against what the simulated head sent.
class FrameTally : public QObject
{
    Q_OBJECT
public:
    explicit FrameTally(QuarnBus* bus, QObject* parent = nullptr);
    ~FrameTally() override;

    void print() const;

private:
    quint64 m_handled = 0;
    quint64 m_rejected[5] = {};
    QSocketNotifier* m_signals = nullptr;
};
