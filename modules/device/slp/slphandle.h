#pragma once
// One open handle of the SLP API: its language, its unicast target and the
// search that runs on it.

#include "slpsearch.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct SlpHandleData
{
};

class SlpHandle : public SlpHandleData
{
public:
    explicit SlpHandle(const std::string &language);
    ~SlpHandle();

    const std::string &language() const { return m_language; }
    void associate(uint32_t address) { m_unicast = address; }

    // Starts `request` on the handle's thread. Each accepted reply goes to
    // `onReply` (false ends the search); `onEnd` gets the final code unless
    // the search was cancelled or stopped. Fails with SLP_HANDLE_IN_USE while
    // a search runs.
    int start(SlpRequest request, std::function<bool(const SlpReply &)> onReply,
              std::function<void(int code)> onEnd);

    // Stops a running search and waits for its thread; called by SLPClose.
    // From inside a callback the thread cannot be waited for: then the handle
    // deletes itself when the search has unwound.
    void close();

    static uint16_t nextXid();

private:
    void join();

    std::string m_language;
    uint32_t m_unicast = 0;
    // Wakes the running search when the handle closes. Made by the first
    // search: many handles may be open while few search.
    int m_wakeFd = -1;
    std::mutex m_mutex;
    std::mutex m_startGate;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_closed{false};
    std::atomic<bool> m_deleteWhenDone{false};
};
