#pragma once

#include <QWidget>

// Service functions of the grip; the page itself is still to be built.
class ToolsSubscreen : public QWidget
{
    Q_OBJECT
public:
    explicit ToolsSubscreen(QWidget* parent = nullptr) : QWidget(parent)
    {
        setObjectName(QStringLiteral("ToolsSubscreen"));
    }
};
