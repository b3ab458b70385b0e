#include <QGenericPlugin>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

namespace {

// Every line on the program's standard input names a PNG file; it gets the screen as Qt
// composed it, the image the board's own grab and the VNC server read. "grabbed NAME" on
// standard output says it is written.
class ScreenGrab : public QObject
{
public:
    ScreenGrab() { connect(&m_input, &QSocketNotifier::activated, this, &ScreenGrab::read); }

private:
    void read()
    {
        char chunk[512];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            m_input.setEnabled(false);
            return;
        }
        m_pending.append(chunk, int(n));
        for (int end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1))
            grab(QString::fromLocal8Bit(m_pending.left(end)));
    }

    static void grab(const QString& path)
    {
        QGuiApplication::primaryScreen()->grabWindow(0).save(path, "PNG");
        std::printf("grabbed %s\n", qPrintable(path));
        std::fflush(stdout);
    }

    QSocketNotifier m_input{STDIN_FILENO, QSocketNotifier::Read};
    QByteArray m_pending;
};

} // namespace

// Loaded into the program under test by QT_QPA_GENERIC_PLUGINS=quarnscreengrab.
class ScreenGrabPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "screenGrabPlugin.json")
public:
    QObject* create(const QString&, const QString&) override { return new ScreenGrab; }
};

#include "screenGrabPlugin.moc"
