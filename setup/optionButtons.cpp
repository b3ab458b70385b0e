#include "setup/optionButtons.h"

#include <QAbstractButton>

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
    // An auto-exclusive button refuses to be unchecked while it is the checked one.
    for (const OptionButton& option : options) {
        const bool exclusive = option.button->autoExclusive();
        option.button->setAutoExclusive(false);
        option.button->setChecked(false);
        option.button->setAutoExclusive(exclusive);
    }
}

void OfferButton(QAbstractButton* button, bool offered)
{
    button->setEnabled(offered);
    button->setVisible(offered);
}
