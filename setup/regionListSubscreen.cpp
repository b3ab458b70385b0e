#include "setup/regionListSubscreen.h"

#include "bus/quarnBus.h"
#include "bus/settingMsgs.h"
#include "settings/regionListProcessing.h"
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
    // and an empty one is asked for again.
    connect(regions, &RegionListProcessing::regionDataAvailable, this, [this] {
        buildPages();
        if (isVisible())
            RefreshUi();
    });
    buildPages();
    if (regions->getRegionListCount() == 0)
        QuarnBus::Get()->sendMsg(GetZoneListMsg());
}

RegionListSubscreen::~RegionListSubscreen() = default;

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

void RegionListSubscreen::RefreshUi()
{
    const auto page = m_pageOfListIndex.constFind(RegionListProcessing::Get()->getCurrentListIndex());
    if (page != m_pageOfListIndex.constEnd())
        ui->stackedWidget->setCurrentIndex(*page);
}

void RegionListSubscreen::choose(int listIndex, int direction)
{
    RegionListProcessing::Get()->setCurrentListIndex(listIndex);
    ui->stackedWidget->slideInIdx(m_pageOfListIndex.value(listIndex),
                                  SlidingStackedWidget::t_direction(direction));
}

void RegionListSubscreen::on_rightButton_clicked()
{
    const RegionListProcessing* regions = RegionListProcessing::Get();
    const int count = regions->getRegionListCount();
    if (count == 0)
        return;
    const int current = regions->getCurrentListIndex();
    choose(current >= count - 1 ? 0 : current + 1, SlidingStackedWidget::RIGHT2LEFT);
}

void RegionListSubscreen::on_leftButton_clicked()
{
    const RegionListProcessing* regions = RegionListProcessing::Get();
    const int count = regions->getRegionListCount();
    if (count == 0)
        return;
    const int current = regions->getCurrentListIndex();
    choose(current <= 0 ? count - 1 : current - 1, SlidingStackedWidget::LEFT2RIGHT);
}
