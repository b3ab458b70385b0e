#include "sim/simController.h"

#include "sim/simPort.h"

#include <QTimer>

SimController::SimController(char busId, SimPort* port, QObject* parent)
    : QObject(parent), m_busId(busId), m_port(port)
{}

void SimController::send(QuarnBusMsgType type, quint8 param, const QByteArray& body)
{
    m_port->send(m_busId, QuarnBusMsg(type, BusId::Tsc, char(param), body));
}

void SimController::sendLater(int ms, QuarnBusMsgType type, quint8 param, const QByteArray& body)
{
    QTimer::singleShot(ms, this, [this, type, param, body] { send(type, param, body); });
}
