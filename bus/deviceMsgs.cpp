#include "bus/deviceMsgs.h"

#include <QDebug>

quint16 GetSmbMsg::GetWordResult() const
{
    if (body.size() != 2) {
        qDebug() << "GetSmbMsg::GetWordResult() -- invalid size!!";
        return 0;
    }
    return le16At(*this, 0);
}

QString GetSmbMsg::GetStringResult() const
{
    if (body.size() <= 2)
        qDebug() << "GetSmbMsg::GetStringResult() -- unexpected size!!";
    const int nul = body.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? body : body.left(nul));
}
