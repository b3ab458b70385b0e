#pragma once

#include "bus/quarnBusMsg.h"

#include <QObject>

class SimPort;

// One controller of the head: answers the requests addressed to its bus id and sends
// its own frames through the port with that id as source.
class SimController : public QObject
{
    Q_OBJECT
public:
    SimController(char busId, SimPort* port, QObject* parent);

    char busId() const { return m_busId; }
    virtual void handle(const QuarnBusMsg& request) = 0;

protected:
    void send(QuarnBusMsgType type, quint8 param = 0, const QByteArray& body = {});
    // The same, after ms; the controller's own timing (erase, flash push), not a fault.
    void sendLater(int ms, QuarnBusMsgType type, quint8 param = 0, const QByteArray& body = {});

    // A request with a body of the wrong length gets no answer, only a line in the log.
    void refuse(const QuarnBusMsg& request, int expectedBodySize);

    SimPort* port() const { return m_port; }

private:
    char m_busId;
    SimPort* m_port;
};
