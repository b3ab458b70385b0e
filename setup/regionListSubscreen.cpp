#include "setup/regionListSubscreen.h"

#include "bus/quarnBus.h"
#include "bus/settingMsgs.h"
#include "settings/regionListProcessing.h"
#include "settings/regionUserSetting.h"
#include "settings/userSettingsService.h"
#include "ui_regionListSubscreen.h"

#include <QLabel>
#include <QVBoxLayout>

RegionListSubscreen::RegionListSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::RegionListSubscreen>())
{
    ui->setupUi(this);
    RegionListProcessing* regions = RegionListProcessing::Get();
    // The head type that makes this subscreen usually arrives before the zone list, and a
    // list answered before the list keeper existed is lost: the pages follow every list,
    // and an empty one is asked for again. They are built when shown, since a hidden
    // subscreen may see many lists.
    connect(regions, &RegionListProcessing::regionDataAvailable, this, [this] {
        if (isVisible())
            RefreshUi();
    });
    // A zone changed elsewhere (a recalled profile, the head) is the head's current zone in
    // its next list.
    connect(UserSettingsService::Get(), &UserSettingsService::RegionSettingChanged, this,
            &RegionListSubscreen::followRegionSetting);
    if (regions->getRegionListCount() == 0)
        QuarnBus::Get()->sendMsg(GetZoneListMsg());
}

RegionListSubscreen::~RegionListSubscreen() = default;

void RegionListSubscreen::followRegionSetting()
{
    const RegionListProcessing* regions = RegionListProcessing::Get();
    if (regions->getRegionListCount() > 0 &&
        regions->getRegionValue(regions->getCurrentListIndex()) != RegionUserSetting().Get())
        QuarnBus::Get()->sendMsg(GetZoneListMsg());
}

void RegionListSubscreen::buildPages()
{
    SlidingStackedWidget* stack = ui->stackedWidget;
    if (stack->isSliding())
        stack->animationDoneSlot();
    while (stack->count() > 0) {
        QWidget* page = stack->widget(0);
        stack->removeWidget(page);
        page->deleteLater();
    }
    m_pageOfListIndex.clear();
    m_shownCodes = listCodes();

    const RegionListProcessing* regions = RegionListProcessing::Get();
    for (int i = 0; i < regions->getRegionListCount(); ++i) {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        auto* name = new QLabel(tr(regions->getRegionName(i)), page);
        name->setAlignment(Qt::AlignCenter);
        name->setWordWrap(true);
        QFont large = name->font();
        large.setPointSize(16);
        large.setBold(true);
        name->setFont(large);
        layout->addWidget(name);
        m_pageOfListIndex.insert(regions->getRegionIndex(i), stack->addWidget(page));
    }
}

QByteArray RegionListSubscreen::listCodes()
{
    const RegionListProcessing* regions = RegionListProcessing::Get();
    QByteArray codes;
    for (int i = 0; i < regions->getRegionListCount(); ++i)
        codes.append(char(regions->getRegionValue(i)));
    return codes;
}

void RegionListSubscreen::RefreshUi()
{
    if (listCodes() != m_shownCodes)
        buildPages();
    const auto page =
        m_pageOfListIndex.constFind(RegionListProcessing::Get()->getCurrentListIndex());
    if (page != m_pageOfListIndex.constEnd())
        ui->stackedWidget->setCurrentIndex(*page);
}

void RegionListSubscreen::choose(int listIndex, int direction)
{
    RegionListProcessing::Get()->setCurrentListIndex(listIndex);
    ui->stackedWidget->slideInIdx(m_pageOfListIndex.value(listIndex),
                                  SlidingStackedWidget::t_direction(direction));
}

void RegionListSubscreen::step(int delta)
{
    const RegionListProcessing* regions = RegionListProcessing::Get();
    const int count = regions->getRegionListCount();
    if (count == 0)
        return;
    // Around the list in both directions; an index left out of range starts again at 0.
    const int current = qBound(0, regions->getCurrentListIndex(), count - 1);
    choose((current + delta + count) % count,
           delta > 0 ? SlidingStackedWidget::RIGHT2LEFT : SlidingStackedWidget::LEFT2RIGHT);
}

void RegionListSubscreen::on_rightButton_clicked()
{
    step(1);
}

void RegionListSubscreen::on_leftButton_clicked()
{
    step(-1);
}
