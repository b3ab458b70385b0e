#include "tests/sim/simHarness.h"

#include "board/board.h"
#include "bus/quarnBus.h"
#include "settings/userSettingsStore.h"
#include "sim/ptyDevice.h"
#include "sim/simPort.h"

#include <QSerialPort>
#include <QtTest>

SimOptions SimHarness::fastOptions()
{
    SimOptions options;
    options.resultsPerSecond = 0;
    options.mst.pushMs = 10;
    options.mst.scan = {20, 2, 40};
    options.flash = {5, 1, 5};
    options.powerOffMs = 20;
    return options;
}

HeadSim* SimHarness::InstallAsProgramBus(QObject* parent, const SimOptions& options)
{
    auto* line = new PtyDevice;
    if (!line->openPty()) {
        delete line;
        return nullptr;
    }
    auto* sim = new HeadSim(line, options, parent);
    auto* port = new QSerialPort(line->slaveName());
    port->setBaudRate(921600);
    if (!port->open(QIODevice::ReadWrite)) {
        delete port;
        delete sim;
        return nullptr;
    }
    QuarnBus::Install(port);
    return sim;
}

HeadSim* SimHarness::StartProgramOnSim(QObject* parent, QList<QuarnBusMsg>* heard,
                                       const SimOptions& options)
{
    Board::Get().PrepareSandbox();
    UserSettingsStore::Configure();
    HeadSim* sim = InstallAsProgramBus(parent, options);
    if (sim) {
        QObject::connect(sim->port(), &SimPort::received, parent,
                         [heard](const QuarnBusMsg& msg) { heard->append(msg); });
    }
    return sim;
}

SimHarness::SimHarness(const SimOptions& options)
{
    auto* line = new PtyDevice;
    if (!line->openPty())
        qFatal("no pseudo-terminal: %s", qPrintable(line->errorString()));
    m_sim = new HeadSim(line, options);
    reconnect();
    QObject::connect(m_sim->port(), &SimPort::sent, [this](char srcId, QuarnBusMsg msg) {
        msg.srcId = quint8(srcId);
        m_sent << msg;
    });
}

void SimHarness::reconnect()
{
    delete m_bus;
    const QByteArray slave =
        static_cast<PtyDevice*>(m_sim->port()->line())->slaveName().toLocal8Bit();
    m_bus = new QuarnBus(slave.constData(), nullptr);
    QObject::connect(m_bus, &QuarnBus::newMsg,
                     [this](const QuarnBusMsg& msg) { m_received << msg; });
}

SimHarness::~SimHarness()
{
    delete m_bus;
    delete m_sim;
}

void SimHarness::send(const QuarnBusMsg& msg)
{
    m_bus->sendMsg(msg);
}

QList<QuarnBusMsg> SimHarness::received(int type, char src) const
{
    QList<QuarnBusMsg> out;
    for (const QuarnBusMsg& msg : m_received) {
        if (msg.type == type && (src == 0 || msg.srcId == quint8(src)))
            out << msg;
    }
    return out;
}

QList<QuarnBusMsg> SimHarness::waitFor(int type, int count, char src, int timeoutMs)
{
    if (!QTest::qWaitFor([&] { return received(type, src).size() >= count; }, timeoutMs))
        return {};
    return received(type, src);
}

QuarnBusMsg SimHarness::ask(const QuarnBusMsg& request, int answerType, char src)
{
    const int before = received(answerType, src).size();
    send(request);
    const QList<QuarnBusMsg> all = waitFor(answerType, before + 1, src);
    return all.size() > before ? all.at(before) : QuarnBusMsg();
}

QList<QuarnBusMsg> SimHarness::sent(int type) const
{
    QList<QuarnBusMsg> out;
    for (const QuarnBusMsg& msg : m_sent) {
        if (msg.type == type)
            out << msg;
    }
    return out;
}

QuarnBusMsg SimHarness::askSent(const QuarnBusMsg& request, int answerType)
{
    const int before = sent(answerType).size();
    send(request);
    if (!QTest::qWaitFor([&] { return sent(answerType).size() > before; }, 5000))
        return {};
    return sent(answerType).at(before);
}

void SimHarness::clear()
{
    m_received.clear();
    m_sent.clear();
}
