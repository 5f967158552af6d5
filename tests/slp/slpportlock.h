#pragma once
// Holds a lock shared by every process in this network namespace that plays
// SLP on port 427 of the loopback interface, for as long as it lives.
// CTest's resource lock keeps the tests of one run apart; this one also keeps
// apart runs started side by side from different build folders in the same
// namespace, whose multicast would otherwise reach each other's simulated
// devices.

class SlpPortLock
{
public:
    SlpPortLock();
    ~SlpPortLock();
    SlpPortLock(const SlpPortLock &) = delete;
    SlpPortLock &operator=(const SlpPortLock &) = delete;

private:
    int m_fd = -1;
};
