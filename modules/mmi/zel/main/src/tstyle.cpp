#include "tstyle.h"

void TStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                           const QWidget *widget) const
{
    if (element == PE_FrameFocusRect)
        return;
    QCommonStyle::drawPrimitive(element, option, painter, widget);
}

QPixmap TStyle::generatedIconPixmap(QIcon::Mode, const QPixmap &pixmap, const QStyleOption *) const
{
    return pixmap;
}
