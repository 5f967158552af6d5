#include "slpcollector.h"
#include "testsupport.h"

QStringList SlpCollector::results() const
{
    QMutexLocker lock(&m_mutex);
    return m_results;
}

QList<int> SlpCollector::finals() const
{
    QMutexLocker lock(&m_mutex);
    return m_finals;
}

int SlpCollector::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

bool SlpCollector::waitEnd(int timeoutMs) const
{
    return testsupport::waitFor([this] { return ended(); }, timeoutMs);
}

void SlpCollector::add(const char *text, SLPError err)
{
    QMutexLocker lock(&m_mutex);
    ++m_calls;
    if (err == SLP_OK)
        m_results << QString::fromUtf8(text);
    else
        m_finals << err;
}

SLPBoolean SlpCollector::urlCallback(SLPHandle, const char *url, unsigned short, SLPError err, void *cookie)
{
    static_cast<SlpCollector *>(cookie)->add(url, err);
    return SLP_TRUE;
}

SLPBoolean SlpCollector::textCallback(SLPHandle, const char *text, SLPError err, void *cookie)
{
    static_cast<SlpCollector *>(cookie)->add(text, err);
    return SLP_TRUE;
}
