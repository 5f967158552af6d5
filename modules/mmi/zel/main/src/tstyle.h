#pragma once
// TStyle: the application style. No focus rectangles anywhere, and icons
// look the same in every mode (disabled, active, selected).
#include <QCommonStyle>

class TStyle : public QCommonStyle
{
    Q_OBJECT
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    QPixmap generatedIconPixmap(QIcon::Mode iconMode, const QPixmap &pixmap,
                                const QStyleOption *option) const override;
};
