#pragma once

#include "resources/quarnResources.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QtTest>

#include <functional>

class QCoreApplication;

namespace QuarnTest {

// Sandbox folder of this test run; the board layer points every device path below it.
QString SandboxRoot();

// Lets warnings that match pattern pass in the running test function; any other
// warning or critical message fails it.
void AllowWarning(const QRegularExpression& pattern);

void record(const QString& line);

// The sandbox's card slot: a card mounted with these options ("rw", "ro"), or none when
// the options are empty. The card monitor sees it at its next poll.
void SetCard(const QByteArray& mountOptions);

// Records every message while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines() const { return m_lines; }
    bool contains(const QString& line) const { return m_lines.contains(line); }
    void clear() { m_lines.clear(); }

private:
    friend void record(const QString& line);
    QStringList m_lines;
};

// Runs test object under the warning guard with a sandboxed board.
int run(QObject* testObject, int argc, char** argv);

} // namespace QuarnTest

// Like QTEST_MAIN, with the sandbox and the warning guard.
#define QUARN_TEST_MAIN_APP(AppClass, TestClass, ...)                                              \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        AppClass app(argc, argv);                                                                  \
        __VA_ARGS__;                                                                               \
        TestClass test;                                                                            \
        return QuarnTest::run(&test, argc, argv);                                                  \
    }

// qemu-user refuses the pidfd that Qt asks for when it starts a program, so under the board
// build's emulation a test function that starts one skips.
#define QUARN_SKIP_IF_PROGRAMS_CANNOT_START()                                                      \
    do {                                                                                           \
        if (qEnvironmentVariableIsSet("QUARN_TEST_EMULATED"))                                      \
            QSKIP("qemu-user cannot start programs");                                              \
    } while (false)

#define QUARN_TEST_MAIN(TestClass) QUARN_TEST_MAIN_APP(QCoreApplication, TestClass, )
// Widget tests link the UI library and see its pictures and style sheet.
#define QUARN_GUI_TEST_MAIN(TestClass)                                                             \
    QUARN_TEST_MAIN_APP(QApplication, TestClass, QuarnResources::Init())
