#include "setup/setupscreen.h"

#include "services/timeService.h"
#include "settings/userSettingsService.h"
#include "setup/autoPowerOffSettingSubscreen.h"
#include "setup/chartTimeSettingSubscreen.h"
#include "setup/countrySettingSubscreen.h"
#include "setup/countrySettingSubscreenNew.h"
#include "setup/dateAndTimeSettingSubscreen.h"
#include "setup/dspGainSettingSubscreen.h"
#include "setup/freqModeSettingSubscreen.h"
#include "setup/headlightSettingSubscreen.h"
#include "setup/informationSubscreen.h"
#include "setup/page1SetupSubscreen.h"
#include "setup/page2SetupSubscreen.h"
#include "setup/page3SetupSubscreen.h"
#include "setup/powerOnScreenSettingSubscreen.h"
#include "setup/regionSettingSubscreen.h"
#include "setup/setupAudioModesSubScreen.h"
#include "setup/setupBrightnessSettingSubScreen.h"
#include "setup/setupVibrateSettingSubScreen.h"
#include "setup/standbyTimeSettingSubscreen.h"
#include "setup/toneStyleSettingSubscreen.h"
#include "setup/toolsSubscreen.h"
#include "setup/txPowerModeSettingSubscreen.h"
#include "setup/userSettingsManagementSubscreen.h"
#include "setup/volumeMuteSettingSubscreen.h"
#include "shell/slidingstackedwidget.h"
#include "ui_setupscreen.h"

#include <QHistoryState>
#include <QStateMachine>

namespace {
constexpr int kSlideSpeedMs = 500;
const QSize kArrowIconSize(56, 24);

QIcon arrowIcon(const char* name)
{
    return QIcon(QStringLiteral(":/:/images/images/") + QLatin1String(name));
}
} // namespace

SetupScreen::SetupScreen(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::SetupScreen>())
{
    // The state machine carries the code of a page's signal.
    qRegisterMetaType<SetupSubScreenT>();
    ui->setupUi(this);
    // A plain widget draws its style-sheet background only when asked to.
    setAttribute(Qt::WA_StyledBackground);
    m_page1 = new Page1SetupSubScreen(this);
    m_page2 = new Page2SetupSubscreen(this);
    m_page3 = new Page3SetupSubscreen(this);
    SlidingStackedWidget* stack = ui->stackedSetupWidget;
    stack->insertWidget(0, m_page1);
    stack->insertWidget(1, m_page2);
    stack->insertWidget(2, m_page3);
    stack->setCurrentIndex(0);

    connect(m_page1, &Page1SetupSubScreen::SubSelected, this, &SetupScreen::onSubScreenSelected);
    connect(m_page2, &Page2SetupSubscreen::SubSelected, this, &SetupScreen::onSubScreenSelected);
    connect(m_page3, &Page3SetupSubscreen::SubSelected, this, &SetupScreen::onSubScreenSelected);

    connect(ui->homeButton, &QAbstractButton::clicked, this, &SetupScreen::homeSelected);
    connect(ui->homeButton, &QAbstractButton::clicked, this, &SetupScreen::HomeSelectedActions);
    connect(ui->leftArrowButton, &QAbstractButton::clicked, this, [this] {
        if (!m_returnOnBack)
            return;
        m_returnOnBack = false;
        emit backSelected();
    });
    connect(ui->leftArrowButton, &QAbstractButton::clicked, stack,
            &SlidingStackedWidget::setCurrentDefaultDirectionLeftToRight);
    connect(ui->rightArrowButton, &QAbstractButton::clicked, stack,
            &SlidingStackedWidget::setCurrentDefaultDirectionRightToLeft);
    stack->setSpeed(kSlideSpeedMs);
    connect(stack, &SlidingStackedWidget::animationFinished, this,
            &SetupScreen::dropRetiredRegionScreens);

    const auto add = [this](SetupSubScreenT code, SettingSubscreenWidget* subScreen) {
        addSubScreen(code, subScreen);
        m_settingSubScreens.append(subScreen);
    };
    add(eAudioModesSub, new SetupAudioModesSubScreen(this));
    add(eVibrateSub, new SetupVibrateSettingSubScreen(this));
    add(eBrightnessSub, new SetupBrightnessSettingSubScreen(this));
    add(eFreqModeSub, new FreqModeSettingSubscreen(this));
    auto* dateAndTime = new DateAndTimeSettingSubscreen(this);
    addSubScreen(eDateAndTimeSub, dateAndTime);
    add(eTxPowerModeSub, new TxPowerModeSettingSubscreen(this));
    add(eVolumeMuteSub, new VolumeMuteSettingSubscreen(this));
    add(eAutoPowerOffSub, new AutoPowerOffSettingSubscreen(this));
    add(eStandbyTimeSub, new StandbyTimeSettingSubscreen(this));
    add(eDspGainSub, new DspGainSettingSubscreen(this));
    add(eHeadlightSub, new HeadlightSettingSubscreen(this));
    addSubScreen(eUserSettingsSub, new UserSettingsManagementSubscreen(this));
    addSubScreen(eToolsSub, new ToolsSubscreen(this));
    addSubScreen(eInformationSub, new InformationSubscreen(this));
    add(ePowerOnScreenSub, new PowerOnScreenSettingSubscreen(this));
    add(eChartTimeSub, new ChartTimeSettingSubscreen(this));
    add(eToneStyleSub, new ToneStyleSettingSubscreen(this));

    connect(UserSettingsService::Get(), &UserSettingsService::UserSettingsChanged, this,
            &SetupScreen::refreshShownSubScreen);
    // "Set" takes the place of the right arrow, which subscreens do not use: the date and
    // time subscreen has no room left for a button.
    connect(ui->setClockButton, &QAbstractButton::clicked, dateAndTime,
            &DateAndTimeSettingSubscreen::SetTimeShown);
    connect(TimeService::Get(), &TimeService::ClockStoppedChanged, this,
            &SetupScreen::showSetClock);
    buildStateMachine();
}

SetupScreen::~SetupScreen() = default;

void SetupScreen::addSubScreen(SetupSubScreenT code, QWidget* subScreen)
{
    m_subScreenIndex.insert(code, ui->stackedSetupWidget->addWidget(subScreen));
}

QWidget* SetupScreen::subScreen(SetupSubScreenT code) const
{
    const auto index = m_subScreenIndex.constFind(code);
    return index == m_subScreenIndex.cend() ? nullptr : ui->stackedSetupWidget->widget(*index);
}

void SetupScreen::buildStateMachine()
{
    SlidingStackedWidget* stack = ui->stackedSetupWidget;
    m_stateMachine = new QStateMachine(this);
    auto* topPages = new QState(m_stateMachine);
    auto* subPage = new QState(m_stateMachine);
    auto* history = new QHistoryState(topPages);
    QState* pages[3] = {};
    for (int i = 0; i < 3; ++i) {
        pages[i] = new QState(topPages);
        pages[i]->assignProperty(stack, "currentSlideIndex", i);
        pages[i]->assignProperty(ui->pageLabel, "text", QStringLiteral("%1/3").arg(i + 1));
    }
    topPages->setInitialState(pages[0]);
    history->setDefaultState(pages[0]);
    m_stateMachine->setInitialState(topPages);
    connect(topPages, &QState::entered, this, &SetupScreen::configureForTopPage);

    // The pages wrap round in both directions.
    for (int i = 0; i < 3; ++i) {
        pages[i]->addTransition(ui->leftArrowButton, &QAbstractButton::clicked, pages[(i + 2) % 3]);
        pages[i]->addTransition(ui->rightArrowButton, &QAbstractButton::clicked,
                                pages[(i + 1) % 3]);
    }
    topPages->addTransition(m_page1, &Page1SetupSubScreen::SubSelected, subPage);
    topPages->addTransition(m_page2, &Page2SetupSubscreen::SubSelected, subPage);
    topPages->addTransition(m_page3, &Page3SetupSubscreen::SubSelected, subPage);

    subPage->assignProperty(ui->pageLabel, "text", QString());
    connect(subPage, &QState::entered, this, &SetupScreen::configureForSubPage);
    subPage->addTransition(ui->leftArrowButton, &QAbstractButton::clicked, history);
    subPage->addTransition(ui->homeButton, &QAbstractButton::clicked, history);
    m_stateMachine->start();
}

void SetupScreen::onSubScreenSelected(SetupSubScreenT whichSub)
{
    const auto index = m_subScreenIndex.constFind(whichSub);
    if (index != m_subScreenIndex.cend())
        ui->stackedSetupWidget->slideInIdx(*index);
    m_dateAndTimeShown = whichSub == eDateAndTimeSub;
    // From the top pages the subscreen state does it once the right arrow is gone.
    if (ui->rightArrowButton->isHidden())
        showSetClock();
    // The volume subscreen shows the level itself; the status bar's overlay would cover it.
    UserSettingsService::Get()->SetVolumeNotificationsEnabled(whichSub != eVolumeMuteSub);
}

void SetupScreen::HomeSelectedActions()
{
    m_returnOnBack = false;
    UserSettingsService::Get()->SetVolumeNotificationsEnabled(true);
}

void SetupScreen::configureForTopPage()
{
    m_returnOnBack = false;
    m_dateAndTimeShown = false;
    showSetClock();
    ui->rightArrowButton->show();
    ui->leftArrowButton->setIcon(arrowIcon("straight_arrow_left.png"));
    ui->leftArrowButton->setIconSize(kArrowIconSize);
    ui->leftArrowButton->show();
}

void SetupScreen::configureForSubPage()
{
    ui->rightArrowButton->hide();
    showSetClock();
    ui->leftArrowButton->setIcon(arrowIcon("curved_arrow_left.png"));
    ui->leftArrowButton->setIconSize(kArrowIconSize);
    ui->leftArrowButton->show();
}

void SetupScreen::showSetClock()
{
    // A stopped clock left without a touch stays stopped: "Set" takes the time shown.
    ui->setClockButton->setVisible(m_dateAndTimeShown && TimeService::Get()->IsClockStopped());
}

namespace {
// The region subscreen made for a head type.
struct RegionScreenKind
{
    const QMetaObject* meta = nullptr;
    QWidget* (*make)(QWidget* parent) = nullptr;
};

template <typename T> RegionScreenKind regionScreenKind()
{
    return {&T::staticMetaObject, [](QWidget* parent) -> QWidget* { return new T(parent); }};
}
} // namespace

void SetupScreen::matchCountryScreenToHeadType(eHeadTypeIdT headType)
{
    RegionScreenKind kind;
    switch (headType) {
    case eHeadTypeStandard:
    case eHeadTypeClassic:
        kind = regionScreenKind<CountrySettingSubscreen>();
        break;
    case eHeadType900:
        kind = regionScreenKind<RegionSettingSubscreen>();
        break;
    case eHeadTypeZoned:
        kind = regionScreenKind<CountrySettingSubscreenNew>();
        break;
    default:
        return;
    }
    // The head reports its type with every system information answer: a subscreen of the
    // right kind stays as it is.
    QWidget* superseded = subScreen(eRegionSub);
    if (superseded && superseded->metaObject() == kind.meta)
        return;
    // Only the newest subscreen stays reachable; the one it replaces goes once it is not shown.
    if (superseded)
        m_retiredRegionScreens.append(superseded);
    addSubScreen(eRegionSub, kind.make(this));
    dropRetiredRegionScreens();
}

void SetupScreen::dropRetiredRegionScreens()
{
    SlidingStackedWidget* stack = ui->stackedSetupWidget;
    QMap<SetupSubScreenT, QWidget*> byCode;
    for (auto it = m_subScreenIndex.cbegin(); it != m_subScreenIndex.cend(); ++it)
        byCode.insert(it.key(), stack->widget(it.value()));
    for (auto it = m_retiredRegionScreens.begin(); it != m_retiredRegionScreens.end();) {
        if (*it == stack->currentWidget() || stack->isSliding()) {
            ++it;
            continue;
        }
        stack->removeWidget(*it);
        (*it)->deleteLater();
        it = m_retiredRegionScreens.erase(it);
    }
    // Pages behind a removed one moved down.
    for (auto it = byCode.cbegin(); it != byCode.cend(); ++it)
        m_subScreenIndex[it.key()] = stack->indexOf(it.value());
}

void SetupScreen::ShowDateAndTime(bool returnOnBack)
{
    m_page3->on_dateTimeButton_clicked();
    // After the page's signal: only a return to the top pages clears it again.
    m_returnOnBack = returnOnBack;
}

void SetupScreen::refreshShownSubScreen()
{
    for (SettingSubscreenWidget* subScreen : m_settingSubScreens) {
        if (subScreen->isVisible())
            subScreen->RefreshUi();
    }
}
