#pragma once

#include <QWidget>

// Strip across the top of every screen; its faces are still to be built.
class IconStatusBar : public QWidget
{
    Q_OBJECT
public:
    explicit IconStatusBar(QWidget* parent = nullptr) : QWidget(parent)
    {
        setObjectName(QStringLiteral("IconStatusBar"));
        setAttribute(Qt::WA_StyledBackground);
        setStyleSheet(
            QStringLiteral("background-image: url(:/:/images/images/main_backgrd_upper.png)"));
    }
};
