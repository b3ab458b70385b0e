#pragma once

#include "setup/settingSubscreenWidget.h"

#include <QByteArray>
#include <QMap>

#include <memory>

namespace Ui {
class RegionListSubscreen;
}

// The zones the head offers, one page each; the arrows step through them in a circle and
// each step makes the zone shown the head's zone at once. The region subscreens of the
// head types differ only in their class.
class RegionListSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit RegionListSubscreen(QWidget* parent = nullptr);
    ~RegionListSubscreen() override;

    // Stack index of each list index.
    const QMap<int, int>& pageOfListIndex() const { return m_pageOfListIndex; }

public slots:
    void RefreshUi() override;
    void on_leftButton_clicked();
    void on_rightButton_clicked();

private:
    static QByteArray listCodes();
    void followRegionSetting();
    void buildPages();
    void step(int delta);
    void choose(int listIndex, int direction);

    std::unique_ptr<Ui::RegionListSubscreen> ui;
    QMap<int, int> m_pageOfListIndex;
    QByteArray m_shownCodes;
};
