#pragma once

#include "bus/busCapture.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

class FrameLog;
class PtyDevice;
class QIODevice;
class QuarnBusMsgReceiver;

// Plays the head's side of a bus capture against the program: the bytes the program read,
// chunk by chunk, with the captured timing (divided by speed). The program's own frames are
// expected in the captured order; the head's bytes that followed a request wait for it, so
// answers never run ahead of the questions. Where the program's frames differ from the
// captured ones, the report says so.
class BusReplay : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        double speed = 1.0;
        int graceMs = 3000; // how long past its captured time a program frame may come
        // Expected frames an arrived one may match out of order: a timer's burst (the
        // battery registers) can land on either side of a chain of twenty answers.
        int lookahead = 64;
        int settleMs = 1000;      // time for stray program frames after the last event
        int endToleranceMs = 500; // unmatched frames this close to the capture's end pass
    };

    BusReplay(QIODevice* line, const std::vector<BusCaptureRecord>& records, const Options& options,
              QObject* parent = nullptr);
    ~BusReplay() override;

    void setLog(FrameLog* log) { m_log = log; }
    // Starts the clock and the playback; call when the program has opened the line.
    void start();

    int expectedFrames() const { return m_expectedCount; }
    int matchedFrames() const { return m_matched; }
    QStringList differences() const { return m_differences; }
    QString report() const;

signals:
    void finished(int differenceCount);

private:
    struct Event
    {
        qint64 atMs;   // captured time since the first record, before speed
        bool fromHead; // bytes to play, else a program frame to expect
        QByteArray bytes;
        bool done = false;
    };

    void step();
    void onReadyRead();
    void onProgramFrame(const QByteArray& frame);
    int findPending(const std::function<bool(const Event&)>& match) const;
    qint64 dueMs(const Event& e) const;
    void consume(int index);
    void note(const QString& text);
    QString describe(int index) const;

    QIODevice* m_line;
    QuarnBusMsgReceiver* m_receiver;
    FrameLog* m_log = nullptr;
    Options m_options;
    std::vector<Event> m_events;
    size_t m_next = 0;
    qint64 m_shiftMs = 0;
    QElapsedTimer m_clock;
    QTimer m_timer;
    bool m_started = false;
    bool m_draining = false;
    bool m_ended = false;
    int m_expectedCount = 0;
    int m_matched = 0;
    QStringList m_differences;
};

// quarn-headsim --replay: plays path on line once the program opens it, prints the report
// and returns 0 when the program sent every frame as captured, 1 when not, 2 when the
// capture cannot be read.
int RunReplay(PtyDevice* line, const QString& path, double speed, FrameLog* log);
