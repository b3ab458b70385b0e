#pragma once

#include "bus/quarnBusMsg.h"

#include <QObject>

#include <sys/types.h>

// The regulatory zones that the head offers, as its last zone list reported them, and the
// choice of one of them.
class RegionListProcessing : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 37;
    static constexpr int kHighestKnownCode = 36;

    struct RegulationInfo
    {
        u_int8_t code;
        const char* name;
    };
    // Searched in this order.
    static const RegulationInfo m_regulationInfo[22];
    static const RegulationInfo m_modelInfo[2];
    static constexpr const char* kUnknownName = "Unknown";

    // Names for the toolkit's translation function; "Unknown" for codes not in the tables.
    static const char* RegulationName(int code);
    static const char* ModelName(int code);

    static RegionListProcessing* Get();
    explicit RegionListProcessing(QObject* parent = nullptr);

    Q_INVOKABLE int getRegionListCount() const { return m_listCount; }
    Q_INVOKABLE int getCurrentListIndex() const { return m_currentListIndex; }
    Q_INVOKABLE void setCurrentListIndex(int index) { setThisRegionIndex(index); }
    Q_INVOKABLE int getRegionIndex(int index) const { return getThisRegionIndex(index); }
    Q_INVOKABLE u_int8_t getRegionValue(int index) const { return getThisRegionValue(index); }
    Q_INVOKABLE const char* getRegionName(int index) const { return getThisRegionName(index); }

    // Entries out of the list read as index -1, code 0 and "Unknown".
    int getThisRegionIndex(int index) const;
    u_int8_t getThisRegionValue(int index) const;
    const char* getThisRegionName(int index) const;
    // Makes the entry the current zone and tells the head; out of the list does nothing.
    void setThisRegionIndex(int index);

signals:
    void regionDataAvailable();

public slots:
    void onNewRawMsg(QuarnBusMsg msg);

private:
    struct Entry
    {
        int index = 0;
        u_int8_t code = 0;
        const char* name = kUnknownName;
    };

    bool inList(int index) const { return index >= 0 && index < m_listCount; }

    int m_listCount = 0;
    int m_currentListIndex = 0;
    Entry m_entries[kMaxEntries];
};
