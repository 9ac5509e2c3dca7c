// Pieces the dial-up tests share: a recorder of call states, and ways to
// look at a pseudo-terminal from the outside (who holds it open, what is
// waiting in it).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "KorNet.h"

class CallStates : public CKorNetworkEvents {
public:
    void OnCallState(uint32_t dialupId, uint32_t callState, int16_t userValue) override
    {
        std::lock_guard lock(m_mutex);
        m_states.push_back(callState);
        m_ids.push_back(dialupId);
        m_userValues.push_back(userValue);
        m_changed.notify_all();
    }
    void OnProgress(int16_t, int16_t, int16_t) override {}

    std::vector<uint32_t> States() const
    {
        std::lock_guard lock(m_mutex);
        return m_states;
    }
    std::vector<uint32_t> Ids() const
    {
        std::lock_guard lock(m_mutex);
        return m_ids;
    }
    std::vector<int16_t> UserValues() const
    {
        std::lock_guard lock(m_mutex);
        return m_userValues;
    }
    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_states.clear();
        m_ids.clear();
        m_userValues.clear();
    }
    // Waits until `state` has been reported.
    bool WaitFor(uint32_t state, int timeoutMs = 5000)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (uint32_t s : m_states)
                if (s == state) return true;
            return false;
        });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<uint32_t> m_states;
    std::vector<uint32_t> m_ids;
    std::vector<int16_t> m_userValues;
};

// How many descriptors of this process have `path` open.
inline int OpenCount(const std::string& path)
{
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return -1;
    while (dirent* e = readdir(dir)) {
        char target[512] = {};
        const std::string link = std::string("/proc/self/fd/") + e->d_name;
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n > 0 && path == std::string(target, static_cast<size_t>(n))) ++count;
    }
    closedir(dir);
    return count;
}

// Waits until at least `count` bytes wait to be read on the terminal at
// `path` (whoever reads them).
inline bool WaitReadable(const std::string& path, int count, int timeoutMs = 2000)
{
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool ready = false;
    for (int waited = 0; waited < timeoutMs && !ready; waited += 2) {
        int n = 0;
        ready = ioctl(fd, FIONREAD, &n) == 0 && n >= count;
        if (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    close(fd);
    return ready;
}

inline std::string LastError(CKorNetwork& link, int32_t* code = nullptr)
{
    const char* text = nullptr;
    const int32_t c = link.GetLastTAPIerror(text);
    if (code != nullptr) *code = c;
    return text != nullptr ? text : "";
}

inline constexpr uint32_t kDialling = KORNET_CALLSTATE_DIALING;
inline constexpr uint32_t kProceeding = KORNET_CALLSTATE_PROCEEDING;
inline constexpr uint32_t kConnected = KORNET_CALLSTATE_CONNECTED;
inline constexpr uint32_t kIdle = KORNET_CALLSTATE_IDLE;
inline constexpr uint32_t kBusy = KORNET_CALLSTATE_BUSY;
inline constexpr uint32_t kDisconnected = KORNET_CALLSTATE_DISCONNECTED;
