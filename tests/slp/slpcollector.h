#pragma once
// Collects what the SLP library passes to a search's callbacks, from the
// library's thread, for a test to look at on its own thread.

#include "slp.h"

#include <QMutex>
#include <QStringList>

class SlpCollector
{
public:
    // Results of the SLP_OK calls, in order of arrival.
    QStringList results() const;
    // The codes of the calls that were not SLP_OK (the final call).
    QList<int> finals() const;
    int calls() const;
    bool ended() const { return !finals().isEmpty(); }
    bool waitEnd(int timeoutMs = 30000) const;

    static SLPBoolean urlCallback(SLPHandle, const char *url, unsigned short, SLPError err, void *cookie);
    static SLPBoolean textCallback(SLPHandle, const char *text, SLPError err, void *cookie);

private:
    void add(const char *text, SLPError err);

    mutable QMutex m_mutex;
    QStringList m_results;
    QList<int> m_finals;
    int m_calls = 0;
};
