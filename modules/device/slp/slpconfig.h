#pragma once
// The settings of the SLP library: named properties, defaulted, some taken
// from the environment when first read.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class SlpConfig
{
public:
    static SlpConfig &instance();

    // Returns a text that stays valid until the same property is set again.
    const char *get(const std::string &name);
    void set(const std::string &name, const std::string &value);

    std::vector<std::string> interfaces();
    uint16_t port();
    std::vector<int> multicastTimeouts();
    int multicastMaximumWait();
    std::vector<int> datagramTimeouts();
    std::string locale();
    size_t mtu();

    static std::vector<std::string> splitList(const std::string &text);

private:
    SlpConfig();
    std::string value(const std::string &name);
    std::vector<int> intList(const std::string &name);

    std::mutex m_mutex;
    // Each value lives in its own allocation, so that a text handed out for
    // one property stays put when others are set.
    std::map<std::string, std::unique_ptr<std::string>> m_values;
};
