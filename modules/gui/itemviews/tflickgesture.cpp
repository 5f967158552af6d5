#include "tflickgesture.h"

TFlickGesture::TFlickGesture(QObject *parent)
    : QSwipeGesture(parent)
{
}
