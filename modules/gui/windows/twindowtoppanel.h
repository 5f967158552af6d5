#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class TActivityWidget;
class TElideLabel;
#include "ticonwidget.h"
class TOption;
class TOptionIconButton;

// The bar across the top of a sub-window: activity icon, heading and round
// buttons for an extra action, help and closing.
class TWindowTopPanel : public QWidget
{
    Q_OBJECT
public:
    TWindowTopPanel(QWidget *parent, const QString &heading, const QString &iconName, bool withHelp = true,
                    bool withClose = true, TOption *extraOption = nullptr, QWidget *extraWidget = nullptr);

    void setHeading(const QString &heading);
    void setIconName(const QString &iconName);
    void setBusy(bool busy);
    void setHeadingMinimumWidth(int width);
    void setSideIcon(const QString &iconName);

    TActivityWidget *activityWidget() const { return m_activity; }
    TElideLabel *headingLabel() const { return m_heading; }
    TIconWidget *sideIcon() const { return m_sideIcon; }
    QList<TOptionIconButton *> buttons() const { return m_buttons; }

    // A long heading is shortened with an ellipsis: it never asks the window for
    // more width than the heading's minimum.
    QSize sizeHint() const override;

private:
    TActivityWidget *m_activity;
    TElideLabel *m_heading;
    QPointer<TIconWidget> m_sideIcon;
    QList<TOptionIconButton *> m_buttons;
};
