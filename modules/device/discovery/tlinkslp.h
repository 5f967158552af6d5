#pragma once
// The SLP client of one discovery worker: a table of open SLP handles by
// name, the asynchronous searches on them, and the library's callbacks turned
// into signals. The callbacks run on the SLP library's thread; the worker
// receives the signals through queued connections.

#include "slp.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <vector>

class TLinkSLP : public QObject
{
    Q_OBJECT
public:
    // Searches running at once; later ones wait their turn, their handles
    // open, so that a large network does not cost a thread and sockets per
    // device at the same time.
    static constexpr int MaxRunning = 24;

    explicit TLinkSLP(QObject *parent = nullptr);
    ~TLinkSLP() override;

    bool openSlpSession(const QString &name);
    void closeSlpSession(const QString &name);
    SLPHandle handle(const QString &name) const;

    void findSrvs(const QString &name);
    void findAttrs(const QString &name);
    void findSrvTypes(const QString &name);
    void associateIP(const QString &name);
    // How long the search on the handle of that name has been running, in
    // ms; -1 when none runs (not yet started, or ended).
    qint64 searchAge(const QString &name) const;
    // The host part of a URL: after "://", up to a port or path.
    static QString hostOf(const QString &url);

    // Name and description of an SLP error code.
    static QPair<QString, QString> errorText(int code);

signals:
    void errorSLP(const QString &name, const QString &description, const QString &sender);
    void finishDeviceDisc(const QString &name);
    void foundDevice(const QString &srvurl);
    void finishAttributsFound(const QString &name);
    void foundAttributs(const QString &name, const QString &attributes);
    void finishServicesFound(const QString &name);
    void foundServices(const QStringList &services);

private:
    // Handed to the library with each search. It belongs to the handle's
    // table entry and is freed when the handle is closed, when no callback
    // can run any more.
    struct Cookie
    {
        TLinkSLP *wrapper;
        // The handle's name as it was opened: what the library is asked for
        // goes as Latin-1, but a name beyond Latin-1 would not come back as
        // itself, and its handle could never be closed.
        QString name;
        quint64 search = 0;
    };
    struct Entry
    {
        QString name;
        SLPHandle handle = nullptr;
        std::vector<std::unique_ptr<Cookie>> cookies;
        quint64 search = 0; // the running search, 0 when none runs
        QElapsedTimer started;
    };
    enum Kind { Srvs, Attrs, Types };
    struct Waiting
    {
        QString name;
        Kind kind;
    };

    Entry *entry(const QString &name) const;
    Cookie *newCookie(Entry *e);
    void find(const QString &name, Kind kind);
    void start(Entry *e, Kind kind);
    void startWaiting();
    // The final call of a search came: its place goes to a waiting one.
    void searchEnded(quint64 search);
    static void endOf(const Cookie *c);
    void reportError(int code, const QString &sender);

    static SLPBoolean urlCallback(SLPHandle, const char *url, unsigned short lifetime, SLPError err, void *cookie);
    static SLPBoolean attrCallback(SLPHandle, const char *attrs, SLPError err, void *cookie);
    static SLPBoolean typeCallback(SLPHandle, const char *types, SLPError err, void *cookie);

    std::vector<std::unique_ptr<Entry>> m_handles;
    std::deque<Waiting> m_waiting;
    int m_running = 0;
    quint64 m_lastSearch = 0;
};
