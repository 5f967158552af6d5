#include "slphandle.h"
#include "slp.h"

#include <random>
#include <sys/eventfd.h>
#include <unistd.h>

SlpHandle::SlpHandle(const std::string &language) : m_language(language)
{
}

SlpHandle::~SlpHandle()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

uint16_t SlpHandle::nextXid()
{
    static std::atomic<uint16_t> xid{uint16_t(std::random_device()())};
    uint16_t v = ++xid;
    if (v == 0)
        v = ++xid;
    return v;
}

void SlpHandle::join()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_thread.joinable())
        m_thread.join();
}

int SlpHandle::start(SlpRequest request, std::function<bool(const SlpReply &)> onReply,
                     std::function<void(int code)> onEnd)
{
    if (m_closed || m_running.exchange(true))
        return SLP_HANDLE_IN_USE;
    join(); // the previous search's thread has ended or is about to
    if (m_wakeFd < 0) {
        m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (m_wakeFd < 0) {
            m_running = false;
            return SLP_INTERNAL_SYSTEM_ERROR;
        }
    }
    request.xid = nextXid();
    request.language = m_language;
    const uint32_t unicast = m_unicast;
    // The new thread waits at this gate until m_thread holds it and this call
    // is done with the handle: a callback may close the handle at once, and
    // closing must see its own thread, and may delete the handle.
    std::lock_guard<std::mutex> gate(m_startGate);
    std::lock_guard<std::mutex> lock(m_mutex);
    try {
        m_thread = std::thread([this, request, unicast, onReply, onEnd]() {
            { std::lock_guard<std::mutex> wait(m_startGate); }
            SlpSearch search(request, unicast, m_wakeFd);
            const auto sink = [this, &onReply](const SlpReply &reply) {
                return !m_closed && onReply(reply);
            };
            const SlpSearch::Result result = search.run(sink);
            int code = SLP_LAST_CALL;
            switch (result) {
            case SlpSearch::Finished:
                break;
            case SlpSearch::Stopped:
            case SlpSearch::Cancelled:
                code = 0;
                break;
            case SlpSearch::NetworkError:
                code = SLP_NETWORK_ERROR;
                break;
            case SlpSearch::NetworkInitFailed:
                code = SLP_NETWORK_INIT_FAILED;
                break;
            case SlpSearch::TimedOut:
                code = SLP_NETWORK_TIMED_OUT;
                break;
            case SlpSearch::AgentError: {
                // The protocol's error codes are the API's, negated, where
                // the API has them.
                const int e = search.agentError();
                code = (e == 1 || e == 2 || e == 3 || e == 4 || e == 6 || e == 7 || e == 13 || e == 15)
                           ? -e
                           : SLP_INTERNAL_SYSTEM_ERROR;
                break;
            }
            }
            if (code != 0 && !m_closed)
                onEnd(code);
            m_running = false;
            if (m_deleteWhenDone) {
                m_thread.detach();
                delete this;
            }
        });
    } catch (...) {
        m_running = false;
        return SLP_MEMORY_ALLOC_FAILED;
    }
    return SLP_OK;
}

void SlpHandle::close()
{
    m_closed = true;
    const uint64_t one = 1;
    if (m_wakeFd >= 0)
        (void)!::write(m_wakeFd, &one, sizeof one);
    if (m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id()) {
        m_deleteWhenDone = true; // closed from its own callback
        return;
    }
    join();
    delete this;
}
