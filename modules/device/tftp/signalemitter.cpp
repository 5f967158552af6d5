#include "signalemitter.h"

SignalEmitter::SignalEmitter(QObject *parent)
    : QObject(parent)
{
}
