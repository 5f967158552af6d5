#include "tupdateobject.h"

#include <QDebug>

TUpdateObject::TUpdateObject(QObject *sender, const char *signal, QObject *receiver, const char *slot)
    : QObject(receiver)
    , m_sender(sender)
    , m_signal(signal)
    , m_receiver(receiver)
    , m_slot(slot)
{
}

void TUpdateObject::start()
{
    if (m_running)
        return;
    if (!m_sender || !connect(m_sender, m_signal.constData(), m_receiver, m_slot.constData())) {
        qDebug() << "TUpdateObject::start: cannot connect" << m_signal << "to" << m_slot;
        return;
    }
    m_running = true;
    emit stateChanged(true);
}

void TUpdateObject::stop()
{
    if (!m_running)
        return;
    if (m_sender)
        disconnect(m_sender, m_signal.constData(), m_receiver, m_slot.constData());
    m_running = false;
    emit stateChanged(false);
}
