#pragma once
// Records the states one service passes through, without repeats.

#include "infoservice.h"

#include <QList>
#include <QObject>

class ServiceStates : public QObject
{
public:
    explicit ServiceStates(InfoService *service)
        : m_service(service)
    {
        connect(service, &InfoService::stateUpdated, this, [this] {
            if (states.isEmpty() || states.last() != m_service->getState())
                states.append(m_service->getState());
        });
    }
    int last() const { return states.isEmpty() ? m_service->getState() : states.last(); }

    QList<int> states;

private:
    InfoService *m_service;
};
