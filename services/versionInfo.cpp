#include "services/versionInfo.h"

#include "bus/deviceMsgs.h"
#include "bus/headLink.h"
#include "bus/quarnBus.h"

#include <QDebug>

namespace {
constexpr int kTscMajor = 1;
constexpr int kTscMinor = 0;
constexpr int kTscBuild = 468;
} // namespace

VersionInfo* VersionInfo::Get()
{
    static VersionInfo* const instance = new VersionInfo;
    return instance;
}

VersionInfo::VersionInfo(QObject* parent) : QObject(parent)
{
    connect(QuarnBus::Get(), &QuarnBus::newMsg, this, &VersionInfo::RxQuarnBusMsg);
    RequestCpuVersion(eSelectCpuMst);
    // The chain waits for each answer: a head silent at start-up stopped it at the first.
    connect(QuarnBus::Get()->headLink(), &HeadLink::HeadAnswering, this, [this] {
        if (m_cpuVersions[eSelectCpuMst].isEmpty())
            RequestCpuVersion(eSelectCpuMst);
    });
}

QString VersionInfo::GetTscVersion()
{
    return QStringLiteral("TSC %1.%2.%3").arg(kTscMajor).arg(kTscMinor).arg(kTscBuild);
}

QString VersionInfo::GetCpuVersion(eSelectCpuId cpu) const
{
    return cpu < kCpuCount ? m_cpuVersions[cpu] : QString();
}

void VersionInfo::RequestCpuVersion(eSelectCpuId cpu)
{
    QuarnBus::Get()->sendMsg(GetSelectIdMsg(cpu));
}

void VersionInfo::RequestStatus(char device)
{
    QuarnBus::Get()->sendMsg(StatusRequestMsg(device));
}

void VersionInfo::RxQuarnBusMsg(QuarnBusMsg msg)
{
    if (msg.type != eGetSelectIdMsg)
        return;
    const int nul = msg.body.indexOf('\0');
    const QString text = QString::fromLatin1(nul < 0 ? msg.body : msg.body.left(nul));
    switch (char(msg.srcId)) {
    case BusId::Mst:
        storeCpuVersion(msg.param, text);
        break;
    case BusId::Rad:
        m_radioStatus = text;
        break;
    case BusId::Hcc:
        m_headStatus = text;
        break;
    case BusId::Key:
        m_keypadStatus = text;
        break;
    default:
        qDebug() << "Unexpected Source Id received in version info handling";
        break;
    }
}

void VersionInfo::storeCpuVersion(quint8 cpu, const QString& text)
{
    if (cpu >= kCpuCount) {
        qDebug() << "Unknown cpu Id received in version info handling";
        return;
    }
    m_cpuVersions[cpu] = text.simplified();
    // The chain asks for the head's and keypad's status alongside the versions, and takes
    // the keypad processor last.
    switch (cpu) {
    case eSelectCpuMst:
        RequestCpuVersion(eSelectCpuBbm);
        break;
    case eSelectCpuBbm:
        RequestCpuVersion(eSelectCpuHdc);
        break;
    case eSelectCpuHdc:
        RequestCpuVersion(eSelectCpuRcc);
        RequestStatus(BusId::Rad);
        break;
    case eSelectCpuRcc:
        RequestCpuVersion(eSelectCpuHcc);
        RequestStatus(BusId::Hcc);
        break;
    case eSelectCpuHcc:
        RequestCpuVersion(eSelectCpuKcc);
        RequestStatus(BusId::Key);
        break;
    default:
        break;
    }
}
