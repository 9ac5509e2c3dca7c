// Frames of a link as the Link Monitor keeps them: a frame observer that
// copies each record into a queue on the link's thread, and hands the queue
// over in one batch to whoever draws them (the window's timer). The worker
// holds the mutex only for a push, never while anything is drawn.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include <KorNet.h>

struct CCapturedFrame {
    int64_t timeUs = 0;      // steady clock, as the link gave it
    std::time_t wallTime = 0;  // when it was captured, for a saved log
    KorNetFrameDirection direction = KorNetFrameDirection::Sent;
    std::vector<uint8_t> bytes;
    int16_t attempt = 0;
    int16_t status = KORNET_OK;
};

class CFrameCapture : public IKorNetFrameObserver {
public:
    // Frames waiting beyond this many are dropped (and counted) rather than
    // let a reader that stopped taking them eat the memory.
    static constexpr size_t kPendingLimit = 200000;

    void OnFrame(const KorNetFrameRecord& frame) override;

    // Everything captured since the last call, oldest first.
    std::vector<CCapturedFrame> TakePending();
    // While paused, frames are not kept.
    void SetPaused(bool paused) { m_paused.store(paused); }
    bool Paused() const { return m_paused.load(); }
    uint64_t Dropped() const { return m_dropped.load(); }

private:
    std::mutex m_mutex;
    std::vector<CCapturedFrame> m_pending;
    std::atomic<bool> m_paused{false};
    std::atomic<uint64_t> m_dropped{0};
};

// The frames in the diagnostics log's format: per attempt the time (first
// attempts only), "Sent:   " and "Recv'd: " with the bytes in hex and
// "Error Status: " with the status name. Stray runs have no place in it.
std::string DiagnosticsLogText(const std::vector<CCapturedFrame>& frames);
