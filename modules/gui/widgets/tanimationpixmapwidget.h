#pragma once

#include <QFrame>
#include <QPixmap>
#include <QRect>

// Paints a background, a middle and a front pixmap; animations move and fade
// the pixmaps through the four properties instead of moving live widgets.
class TAnimationPixmapWidget : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QRect frontGeometry READ frontGeometry WRITE setFrontGeometry)
    Q_PROPERTY(qreal frontOpacity READ frontOpacity WRITE setFrontOpacity)
    Q_PROPERTY(QRect middelGeometry READ middelGeometry WRITE setMiddelGeometry)
    Q_PROPERTY(qreal middelOpacity READ middelOpacity WRITE setMiddelOpacity)
public:
    explicit TAnimationPixmapWidget(QWidget *parent = nullptr);

    virtual void setFrontGeometry(const QRect &rect);
    virtual void setMiddelGeometry(const QRect &rect);
    void setFrontOpacity(qreal opacity);
    void setMiddelOpacity(qreal opacity);
    QRect frontGeometry() const { return m_frontGeometry; }
    qreal frontOpacity() const { return m_frontOpacity; }
    QRect middelGeometry() const { return m_middelGeometry; }
    qreal middelOpacity() const { return m_middelOpacity; }

    void setFrontPixmap(const QPixmap &pixmap);
    void setBackgroundPixmap(const QPixmap &pixmap);
    void setPixmaps(const QPixmap &front, const QPixmap &background);
    void setMiddlePixmap(const QPixmap &pixmap);
    QPixmap frontPixmap() const { return m_frontPixmap; }
    QPixmap backgroundPixmap() const { return m_backgroundPixmap; }
    QPixmap middlePixmap() const { return m_middlePixmap; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_frontPixmap;
    QPixmap m_backgroundPixmap;
    QPixmap m_middlePixmap;
    QRect m_frontGeometry;
    qreal m_frontOpacity = 1.0;
    QRect m_middelGeometry;
    qreal m_middelOpacity = 1.0;
};
