#include "setup/optionButtons.h"

#include <QAbstractButton>
#include <QButtonGroup>

void CheckOption(int stored, const QList<OptionButton>& options, QAbstractButton* fallback)
{
    QAbstractButton* target = fallback;
    for (const OptionButton& option : options) {
        if (option.value == stored)
            target = option.button;
    }
    if (target) {
        target->setChecked(true);
        return;
    }
    // An exclusive button refuses to be unchecked while it is the checked one.
    for (const OptionButton& option : options) {
        QButtonGroup* group = option.button->group();
        const bool groupExclusive = group && group->exclusive();
        const bool autoExclusive = option.button->autoExclusive();
        if (group)
            group->setExclusive(false);
        option.button->setAutoExclusive(false);
        option.button->setChecked(false);
        option.button->setAutoExclusive(autoExclusive);
        if (group)
            group->setExclusive(groupExclusive);
    }
}

void OfferButton(QAbstractButton* button, bool offered)
{
    button->setEnabled(offered);
    button->setVisible(offered);
}
