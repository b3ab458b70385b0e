#pragma once

#include <QList>

class QAbstractButton;

// One option button of a setting subscreen and the setting value it stands for.
struct OptionButton
{
    template <typename E>
    OptionButton(QAbstractButton* b, E v) : button(b), value(static_cast<int>(v))
    {}
    QAbstractButton* button;
    int value;
};

// Checks the option of the stored value; a value without an option checks the fallback,
// or, without one, leaves every option of the group unchecked.
void CheckOption(int stored, const QList<OptionButton>& options, QAbstractButton* fallback);

// Shows and enables a button, or hides and disables it.
void OfferButton(QAbstractButton* button, bool offered);
