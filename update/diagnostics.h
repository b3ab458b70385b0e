#pragma once

#include "bus/quarnBusMsg.h"

#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTimer>

// The self-test behind the diagnostics dialog: asks BBM, MST, RAD and KEY for an answer,
// writes and reads back a file on the internal flash and on the card, and writes what it
// finds as text lines. The run is finished when every test has passed, failed or been
// skipped, or when the watchdog reports the tests still open because nothing has happened
// for 5 s.
class Diagnostics : public QObject
{
    Q_OBJECT
public:
    static constexpr int kWatchdogMs = 5000;
    static constexpr const char* kFileText = "Testing...1...2...3";
    static constexpr const char* kTestFileName = "test.txt";

    enum class Outcome
    {
        Open,
        Passed,
        Failed,
        Skipped
    };

    // The tests in the order they are named; the time-out report lists them by name.
    static const QStringList& TestNames();

    enum class FileResult
    {
        Passed,
        ReadOnly,
        Full,
        NotWritten,
        Differs
    };
    // Writes the text to path (replacing whatever is there), flushes it to storage, reads
    // it back and removes the file whatever the outcome. A read-only medium is not tried.
    static FileResult RunFileTest(const QString& path, bool readOnly);

    explicit Diagnostics(QObject* parent = nullptr);

    // Sends the probes and runs both file tests; the lines come through LineWritten.
    void Start();

    bool IsComplete() const { return m_complete; }
    // Complete, or reported at a time-out.
    bool IsFinished() const { return m_complete || m_timedOut; }
    bool IsWatchdogRunning() const { return m_watchdog.isActive(); }

signals:
    void LineWritten(const QString& line);
    // The run is complete or its time-out report has been written.
    void Finished();

public slots:
    void Timeout();
    void RxQuarnBusMsg(QuarnBusMsg msg);

private:
    void pass(const QString& name);
    void recordOnce(const QString& name);
    void recordFileTest(const QString& name, const QString& medium, FileResult result);
    void runFlashTest();
    void runCardTest();
    void checkComplete();
    QString failedCount() const;

    QMap<QString, Outcome> m_tests;
    QTimer m_watchdog;
    bool m_complete = false;
    bool m_timedOut = false;
};
