#include "slpconfig.h"

#include <cstdlib>

SlpConfig &SlpConfig::instance()
{
    // Never destroyed: a discovery thread still ending its search while the
    // process exits reads the settings after static objects are gone.
    static SlpConfig *const config = new SlpConfig;
    return *config;
}

SlpConfig::SlpConfig()
{
    const std::pair<const char *, const char *> defaults[] = {
        {"net.slp.interfaces", ""},
        {"net.slp.port", "427"},
        // A multicast search listens 1.5 s, then twice as long after each
        // retransmission that still brought new answers, and ends within
        // the 15 s that SLP allows multicast convergence; a search that
        // converges at once ends within the device search cycle of the
        // discovery. A unicast request is sent again after 2, 4 and 8 s of
        // silence.
        {"net.slp.multicastTimeouts", "1500,3000,6000"},
        {"net.slp.multicastMaximumWait", "15000"},
        {"net.slp.datagramTimeouts", "2000,4000,8000"},
        {"net.slp.locale", "en"},
        {"net.slp.MTU", "1400"},
    };
    for (const auto &d : defaults)
        m_values[d.first] = std::make_unique<std::string>(d.second);
    if (const char *env = std::getenv("ZEL_SLP_INTERFACES"))
        *m_values["net.slp.interfaces"] = env;
    if (const char *env = std::getenv("ZEL_SLP_PORT"))
        *m_values["net.slp.port"] = env;
}

const char *SlpConfig::get(const std::string &name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_values.find(name);
    return it == m_values.end() ? nullptr : it->second->c_str();
}

void SlpConfig::set(const std::string &name, const std::string &value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto &slot = m_values[name];
    slot = std::make_unique<std::string>(value);
}

std::string SlpConfig::value(const std::string &name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_values.find(name);
    return it == m_values.end() ? std::string() : *it->second;
}

std::vector<std::string> SlpConfig::splitList(const std::string &text)
{
    std::vector<std::string> out;
    std::string part;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ',') {
            const size_t b = part.find_first_not_of(" \t");
            const size_t e = part.find_last_not_of(" \t");
            if (b != std::string::npos)
                out.push_back(part.substr(b, e - b + 1));
            part.clear();
        } else {
            part += text[i];
        }
    }
    return out;
}

std::vector<int> SlpConfig::intList(const std::string &name)
{
    std::vector<int> out;
    for (const std::string &p : splitList(value(name))) {
        const int v = std::atoi(p.c_str());
        if (v > 0)
            out.push_back(v);
    }
    return out;
}

std::vector<std::string> SlpConfig::interfaces()
{
    return splitList(value("net.slp.interfaces"));
}

uint16_t SlpConfig::port()
{
    const long v = std::strtol(value("net.slp.port").c_str(), nullptr, 10);
    return v > 0 && v < 65536 ? uint16_t(v) : 427;
}

std::vector<int> SlpConfig::multicastTimeouts()
{
    std::vector<int> v = intList("net.slp.multicastTimeouts");
    return v.empty() ? std::vector<int>{1500, 3000, 6000} : v;
}

int SlpConfig::multicastMaximumWait()
{
    const int v = std::atoi(value("net.slp.multicastMaximumWait").c_str());
    return v > 0 ? v : 15000;
}

std::vector<int> SlpConfig::datagramTimeouts()
{
    std::vector<int> v = intList("net.slp.datagramTimeouts");
    return v.empty() ? std::vector<int>{2000, 4000, 8000} : v;
}

std::string SlpConfig::locale()
{
    const std::string v = value("net.slp.locale");
    return v.empty() ? "en" : v;
}

size_t SlpConfig::mtu()
{
    const long v = std::strtol(value("net.slp.MTU").c_str(), nullptr, 10);
    return v >= 576 && v <= 65000 ? size_t(v) : 1400;
}
