#include "sim/simController.h"

#include "sim/frameLog.h"
#include "sim/simPort.h"

#include <QDebug>

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

void SimController::refuse(const QuarnBusMsg& request, int expectedBodySize)
{
    qInfo().noquote() << QStringLiteral("%1 refused %2: body of %3 bytes, expected %4")
                             .arg(deviceName(quint8(m_busId)), requestName(request))
                             .arg(request.body.size())
                             .arg(expectedBodySize);
}
