#pragma once

#include <QWidget>

// A non-interactive style-sheet image with alignment, scaling and opacity.
class TIconWidget : public QWidget
{
    Q_OBJECT
public:
    explicit TIconWidget(const QString &iconName, QWidget *parent = nullptr);

    QString iconName() const { return m_iconName; }
    void setIconName(const QString &iconName);
    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    // Where the image of the given size lands in a widget of the given size.
    static QRect imageRect(const QSize &image, const QSize &widget, Qt::Alignment alignment);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_iconName;
    Qt::Alignment m_alignment = Qt::AlignHCenter | Qt::AlignVCenter;
    qreal m_opacity = 1.0;
};
