#include "settings/regionListProcessing.h"
#include "settings/regionUserSetting.h"
#include "tests/support/busTraffic.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <QSignalSpy>

class TestRegionListProcessing : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

    QStringList sent() { return BusTraffic::take(m_line); }

    void feedList(const QByteArray& codes, quint8 current)
    {
        m_line->feed(BusTraffic::frameFromHead(eGetZoneListMsgResp, current, codes));
    }

    static QStringList names(const RegionListProcessing& list)
    {
        QStringList result;
        for (int i = 0; i < list.getRegionListCount(); ++i)
            result.append(QString::fromLatin1(list.getRegionName(i)));
        return result;
    }

private slots:
    void initTestCase() { m_line = QuarnTest::InstallFakeLine(); }

    void init() { m_line->takeWritten(); }

    void tables_nameEveryKnownCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("0") << 0 << "FCC/IC/CE";
        QTest::newRow("7") << 7 << "Liechtenstein";
        QTest::newRow("12") << 12 << "Japan";
        QTest::newRow("14") << 14 << "EUROPE-CE";
        QTest::newRow("16") << 16 << "Brazil";
        QTest::newRow("17") << 17 << "Unknown";
        QTest::newRow("32") << 32 << "EUROPE-CE";
        QTest::newRow("33") << 33 << "USA - FCC";
        QTest::newRow("36") << 36 << "BRAZIL";
        QTest::newRow("200") << 200 << "Unknown";
    }

    void tables_nameEveryKnownCode()
    {
        QFETCH(int, code);
        QFETCH(QString, name);
        QCOMPARE(QString::fromLatin1(RegionListProcessing::RegulationName(code)), name);
    }

    void modelTable()
    {
        QCOMPARE(QString(RegionListProcessing::ModelName(14)), QStringLiteral("EUROPE-CE"));
        QCOMPARE(QString(RegionListProcessing::ModelName(15)), QStringLiteral("QUARN HP"));
        QCOMPARE(QString(RegionListProcessing::ModelName(33)), QStringLiteral("Unknown"));
    }

    void zoneList_withCurrentZoneAndChoosing()
    {
        RegionListProcessing list;
        QSignalSpy available(&list, &RegionListProcessing::regionDataAvailable);
        feedList(QByteArray::fromHex("212224"), 34);
        QCOMPARE(available.count(), 1);
        QCOMPARE(names(list), (QStringList{"USA - FCC", "FULL SPAN", "BRAZIL"}));
        QCOMPARE(list.getCurrentListIndex(), 1);
        QCOMPARE(list.getRegionIndex(2), 2);
        QCOMPARE(int(list.getRegionValue(2)), 36);

        list.setCurrentListIndex(2);
        QCOMPARE(list.getCurrentListIndex(), 2);
        QCOMPARE(RegionUserSetting().Get(), 36);
        QCOMPARE(sent(), (QStringList{"102 p0 [24]", "156 p36 []", "108 p0 []"}));
    }

    void unknownEntries_canBeChosen()
    {
        RegionListProcessing list;
        feedList(QByteArray::fromHex("211411c8"), 33);
        QCOMPARE(names(list), (QStringList{"USA - FCC", "Unknown", "Unknown", "Unknown"}));
        list.setCurrentListIndex(1);
        QCOMPARE(sent(), (QStringList{"102 p0 [14]", "156 p20 []", "108 p0 []"}));
        QCOMPARE(RegionUserSetting().Get(), 20);
    }

    void outOfRangeChoices_changeNothing_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("-1") << -1;
        QTest::newRow("count") << 3;
    }

    void outOfRangeChoices_changeNothing()
    {
        QFETCH(int, index);
        RegionListProcessing list;
        feedList(QByteArray::fromHex("212224"), 33);
        RegionUserSetting().SyncWithMasterValue(quint8(33));
        list.setCurrentListIndex(index);
        QCOMPARE(list.getCurrentListIndex(), 0);
        QCOMPARE(sent(), QStringList());
        QCOMPARE(RegionUserSetting().Get(), 33);
        QCOMPARE(list.getThisRegionIndex(index), -1);
        QCOMPARE(int(list.getThisRegionValue(index)), 0);
        QCOMPARE(QString(list.getThisRegionName(index)), QStringLiteral("Unknown"));
    }

    void currentZone_followsTheHead()
    {
        RegionListProcessing list;
        feedList(QByteArray::fromHex("20212223"), 35);
        QCOMPARE(list.getCurrentListIndex(), 3);
        // The head's current zone is absent: the index stays.
        feedList(QByteArray::fromHex("20212223"), 36);
        QCOMPARE(list.getCurrentListIndex(), 3);
        // A current zone without a name is still marked.
        feedList(QByteArray::fromHex("201421"), 20);
        QCOMPARE(list.getCurrentListIndex(), 1);
        // A shorter list without the current zone does not leave the index past its end.
        feedList(QByteArray::fromHex("2021222324"), 34);
        QCOMPARE(list.getCurrentListIndex(), 2);
        feedList(QByteArray::fromHex("20"), 36);
        QCOMPARE(list.getCurrentListIndex(), 0);
    }

    void longList_keepsTheFirst37_andOtherTypesAreIgnored()
    {
        RegionListProcessing list;
        QSignalSpy available(&list, &RegionListProcessing::regionDataAvailable);
        QByteArray codes(40, char(33));
        codes[36] = char(34);
        codes[37] = char(35);
        feedList(codes, 35);
        QCOMPARE(list.getRegionListCount(), 37);
        QCOMPARE(QString(list.getRegionName(36)), QStringLiteral("FULL SPAN"));
        QCOMPARE(list.getCurrentListIndex(), 0);

        m_line->feed(BusTraffic::frameFromHead(eGetZoneMsgResp, 0, QByteArray(3, '\x21')));
        feedList({}, 0);
        QCOMPARE(available.count(), 2);
        QCOMPARE(list.getRegionListCount(), 0);
    }
};

QUARN_TEST_MAIN(TestRegionListProcessing)
#include "tst_regionListProcessing.moc"
