#include "tmousedraggesture.h"

TMouseDragGesture::TMouseDragGesture(QObject *parent)
    : QGesture(parent)
{
}
