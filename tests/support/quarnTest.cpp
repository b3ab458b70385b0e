#include "tests/support/quarnTest.h"

#include "board/board.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace QuarnTest {

namespace {
QtMessageHandler s_testlibHandler = nullptr;
std::unique_ptr<QTemporaryDir> s_sandbox;
QList<LogCapture*> s_captures;
QString s_allowedFunction;
QList<QRegularExpression> s_allowed;

bool allowed(const QString& message)
{
    const char* function = QTest::currentTestFunction();
    if (!function || s_allowedFunction != QLatin1String(function))
        return false;
    for (const QRegularExpression& pattern : qAsConst(s_allowed)) {
        if (pattern.match(message).hasMatch())
            return true;
    }
    return false;
}

void guard(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    record(message);
    const bool unexpected = (type == QtWarningMsg || type == QtCriticalMsg) && !allowed(message);
    if ((type == QtWarningMsg || type == QtCriticalMsg) && !unexpected)
        return;
    s_testlibHandler(type, context, message);
    if (unexpected && QTest::currentTestFunction()) {
        const QByteArray text = "Unexpected warning: " + message.toLocal8Bit();
        QTest::qFail(text.constData(), context.file ? context.file : __FILE__, context.line);
    }
}
} // namespace

void record(const QString& line)
{
    for (LogCapture* capture : qAsConst(s_captures))
        capture->m_lines.append(line);
}

QString SandboxRoot()
{
    return s_sandbox ? s_sandbox->path() : QString();
}

void SetCard(const QByteArray& mountOptions)
{
    const Board& board = Board::Get();
    QDir().mkpath(QFileInfo(board.CardPresenceMarker()).path());
    QDir().mkpath(QFileInfo(board.MountTable()).path());
    QDir().mkpath(board.CardRoot());
    QFile marker(board.CardPresenceMarker());
    QFile mounts(board.MountTable());
    if (mountOptions.isEmpty()) {
        marker.remove();
        mounts.remove();
        return;
    }
    marker.open(QIODevice::WriteOnly);
    mounts.open(QIODevice::WriteOnly);
    mounts.write("/dev/mmcblk1p1 /media/mmcblk1p1 vfat " + mountOptions + " 0 0\n");
}

void AllowWarning(const QRegularExpression& pattern)
{
    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    if (function != s_allowedFunction) {
        s_allowed.clear();
        s_allowedFunction = function;
    }
    s_allowed.append(pattern);
}

LogCapture::LogCapture()
{
    s_captures.append(this);
}

LogCapture::~LogCapture()
{
    s_captures.removeOne(this);
}

int run(QObject* testObject, int argc, char** argv)
{
    s_sandbox =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quarn-test-XXXXXX"));
    Board::UseSandbox(s_sandbox->path(), s_sandbox->path() + QStringLiteral("/dev/ttyO1"));

    QTest::qInit(testObject, argc, argv);
    // Installed after the test library's own handler so that ours sees every message first.
    s_testlibHandler = qInstallMessageHandler(&guard);
    const int result = QTest::qRun();
    qInstallMessageHandler(s_testlibHandler);
    QTest::qCleanup();
    s_sandbox.reset();
    return result;
}

} // namespace QuarnTest
