#pragma once
// A minimal SNMPv1 responder on 127.0.0.1 for tests: it answers a request by
// sending it back as a GetResponse (a GET is answered with INTEGER values
// that count the requests, modulo 100), records every
// datagram, and can go silent after a number of answers.

#include <QByteArray>
#include <QList>
#include <QMutex>

#include <atomic>
#include <functional>
#include <thread>

class FakeAgent
{
public:
    // answerLimit: how many requests are answered (-1: all, 0: none).
    explicit FakeAgent(int answerLimit = -1);
    ~FakeAgent();

    quint16 port() const { return m_port; }
    QString hostAddress() const;
    QList<QByteArray> datagrams() const;
    int requestCount() const;
    void setAnswerLimit(int limit) { m_answerLimit = limit; }
    // Answers every GET with this value (0..127) in place of the count.
    void setFixedValue(int value) { m_fixedValue = value; }
    // Called on the agent's thread with the number of each request (from 1).
    void setOnRequest(std::function<void(int)> hook) { m_onRequest = std::move(hook); }

private:
    void run();

    int m_fd = -1;
    quint16 m_port = 0;
    std::atomic<int> m_answerLimit;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_fixedValue{-1};
    mutable QMutex m_mutex;
    QList<QByteArray> m_datagrams;
    std::function<void(int)> m_onRequest;
    std::thread m_thread;
};
