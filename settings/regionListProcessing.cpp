#include "settings/regionListProcessing.h"

#include "bus/quarnBus.h"
#include "settings/regionUserSetting.h"

#include <QtGlobal>

const RegionListProcessing::RegulationInfo RegionListProcessing::m_regulationInfo[22] = {
    {0, QT_TRANSLATE_NOOP("RegionListProcessing", "FCC/IC/CE")},
    {1, QT_TRANSLATE_NOOP("RegionListProcessing", "Austria")},
    {2, QT_TRANSLATE_NOOP("RegionListProcessing", "Bulgaria")},
    {3, QT_TRANSLATE_NOOP("RegionListProcessing", "France")},
    {4, QT_TRANSLATE_NOOP("RegionListProcessing", "Germany")},
    {5, QT_TRANSLATE_NOOP("RegionListProcessing", "Hungary")},
    {6, QT_TRANSLATE_NOOP("RegionListProcessing", "Italy")},
    {12, QT_TRANSLATE_NOOP("RegionListProcessing", "Japan")},
    {7, QT_TRANSLATE_NOOP("RegionListProcessing", "Liechtenstein")},
    {8, QT_TRANSLATE_NOOP("RegionListProcessing", "Lithuania")},
    {9, QT_TRANSLATE_NOOP("RegionListProcessing", "Portugal")},
    {10, QT_TRANSLATE_NOOP("RegionListProcessing", "Slovenia")},
    {11, QT_TRANSLATE_NOOP("RegionListProcessing", "Switzerland")},
    {13, QT_TRANSLATE_NOOP("RegionListProcessing", "FCC/IC")},
    {14, QT_TRANSLATE_NOOP("RegionListProcessing", "EUROPE-CE")},
    {15, QT_TRANSLATE_NOOP("RegionListProcessing", "HIGH POWER")},
    {16, QT_TRANSLATE_NOOP("RegionListProcessing", "Brazil")},
    {32, QT_TRANSLATE_NOOP("RegionListProcessing", "EUROPE-CE")},
    {33, QT_TRANSLATE_NOOP("RegionListProcessing", "USA - FCC")},
    {34, QT_TRANSLATE_NOOP("RegionListProcessing", "FULL SPAN")},
    {35, QT_TRANSLATE_NOOP("RegionListProcessing", "RUSSIA")},
    {36, QT_TRANSLATE_NOOP("RegionListProcessing", "BRAZIL")},
};

const RegionListProcessing::RegulationInfo RegionListProcessing::m_modelInfo[2] = {
    {14, QT_TRANSLATE_NOOP("RegionListProcessing", "EUROPE-CE")},
    {15, QT_TRANSLATE_NOOP("RegionListProcessing", "QUARN HP")},
};

namespace {
template <size_t N>
const char* find(const RegionListProcessing::RegulationInfo (&table)[N], int code)
{
    for (const auto& row : table) {
        if (row.code == code)
            return row.name;
    }
    return nullptr;
}
} // namespace

const char* RegionListProcessing::RegulationName(int code)
{
    const char* name = find(m_regulationInfo, code);
    return name ? name : kUnknownName;
}

const char* RegionListProcessing::ModelName(int code)
{
    const char* name = find(m_modelInfo, code);
    return name ? name : kUnknownName;
}

RegionListProcessing* RegionListProcessing::Get()
{
    static RegionListProcessing* const instance = new RegionListProcessing;
    return instance;
}

RegionListProcessing::RegionListProcessing(QObject* parent) : QObject(parent)
{
    connect(QuarnBus::Get(), &QuarnBus::newMsg, this, &RegionListProcessing::onNewRawMsg);
}

void RegionListProcessing::onNewRawMsg(QuarnBusMsg msg)
{
    if (msg.type != eGetZoneListMsgResp)
        return;

    m_listCount = qMin(int(msg.body.size()), kMaxEntries);
    for (int i = 0; i < m_listCount; ++i) {
        Entry& entry = m_entries[i];
        entry.index = i;
        entry.code = msg.bodyByte(i);
        entry.name = entry.code > kHighestKnownCode ? kUnknownName : RegulationName(entry.code);
        // The head's current zone is marked whether or not it has a name here.
        if (entry.code == msg.param)
            m_currentListIndex = i;
    }
    // A shorter list than the last must not leave the current index past its end.
    if (m_currentListIndex >= m_listCount)
        m_currentListIndex = 0;
    emit regionDataAvailable();
}

int RegionListProcessing::getThisRegionIndex(int index) const
{
    return inList(index) ? m_entries[index].index : -1;
}

u_int8_t RegionListProcessing::getThisRegionValue(int index) const
{
    return inList(index) ? m_entries[index].code : 0;
}

const char* RegionListProcessing::getThisRegionName(int index) const
{
    return inList(index) ? m_entries[index].name : kUnknownName;
}

void RegionListProcessing::setThisRegionIndex(int index)
{
    if (!inList(index))
        return;
    m_currentListIndex = index;
    RegionUserSetting().Set(eRegion(m_entries[index].code));
}
