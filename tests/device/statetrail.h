#pragma once
// The upload states a device object passes through, without repeats.

#include <QList>
#include <QObject>

class TLinkDevice;

class StateTrail : public QObject
{
    Q_OBJECT
public:
    explicit StateTrail(TLinkDevice *device);

    QList<int> states;
};
