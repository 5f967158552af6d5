#pragma once

#include <QPainterPath>
#include <QString>
#include <QWidget>

// A small round spinner; every active spinner follows the shared animator's angle.
class TActivityWidget : public QWidget
{
    Q_OBJECT
public:
    explicit TActivityWidget(int radius, QWidget *parent = nullptr);
    ~TActivityWidget() override;

    void setActive(bool on);
    bool isActive() const { return m_active; }
    void setIconName(const QString &name);
    QString iconName() const { return m_iconName; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int m_radius;
    QPainterPath m_outerRing;
    QPainterPath m_innerRing;
    bool m_active = false;
    QString m_iconName;
};
