#pragma once

#include <QWidget>

// Base of the setup pages and subscreens: a subscreen re-reads its settings every time it
// is shown, so it always shows what the store holds, whoever changed it.
class SettingSubscreenWidget : public QWidget
{
    Q_OBJECT
public:
    explicit SettingSubscreenWidget(QWidget* parent = nullptr) : QWidget(parent) {}

public slots:
    virtual void RefreshUi() = 0;

protected:
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        RefreshUi();
    }
};
