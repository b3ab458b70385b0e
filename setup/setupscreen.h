#pragma once

#include "screens/headType.h"
#include "setup/setupSubScreen.h"

#include <QMap>
#include <QWidget>

#include <memory>

class Page1SetupSubScreen;
class Page2SetupSubscreen;
class Page3SetupSubscreen;
class QStateMachine;
class SettingSubscreenWidget;
class SlidingStackedWidget;

namespace Ui {
class SetupScreen;
}

// The setup page of the screen stack: three pages of buttons, paged with the arrows, each
// button sliding its subscreen into view; back or home returns to the page last shown.
class SetupScreen : public QWidget
{
    Q_OBJECT
public:
    explicit SetupScreen(QWidget* parent = nullptr);
    ~SetupScreen() override;

    // The subscreen a code selects; nullptr when there is none (no region subscreen yet).
    QWidget* subScreen(SetupSubScreenT code) const;

signals:
    void homeSelected();
    // Back on a subscreen that was opened from another screen: that screen comes back.
    void backSelected();

public slots:
    void onSubScreenSelected(SetupSubScreenT whichSub);
    void configureForTopPage();
    void configureForSubPage();
    void HomeSelectedActions();
    void matchCountryScreenToHeadType(eHeadTypeIdT headType);
    // Opens the date and time subscreen as its button on page 3 does. returnOnBack: it was
    // opened from another screen, and its back arrow returns there (backSelected()).
    void ShowDateAndTime(bool returnOnBack = false);

private:
    void addSubScreen(SetupSubScreenT code, QWidget* subScreen);
    void buildStateMachine();
    void refreshShownSubScreen();
    void dropRetiredRegionScreens();
    void showSetClock();

    std::unique_ptr<Ui::SetupScreen> ui;
    QStateMachine* m_stateMachine = nullptr;
    Page1SetupSubScreen* m_page1 = nullptr;
    Page2SetupSubscreen* m_page2 = nullptr;
    Page3SetupSubscreen* m_page3 = nullptr;
    QMap<SetupSubScreenT, int> m_subScreenIndex;
    // The subscreens that edit settings follow changes made elsewhere while they are shown.
    QList<SettingSubscreenWidget*> m_settingSubScreens;
    QList<QWidget*> m_retiredRegionScreens;
    bool m_returnOnBack = false;
    bool m_dateAndTimeShown = false;
};
