// Faults on demand: what a noisy line, a tired controller or a pulled cable
// do to an exchange. Forced faults act on the next replies; random faults
// strike each exchange with a given rate from a seeded generator, so a soak
// that fails can be repeated exactly. Every fault is one the host can see:
// a reply that is missing, late, cut short, preceded by noise, or whose
// checksum or sequence nibble is wrong. None alters data under a valid
// checksum. Not locked: the engine holds its lock around every call.
#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>

#include "CCommandTable.h"
#include "SimTypes.h"

namespace jxsim {

struct CFaultCounts {
    uint64_t lostRequests = 0;
    uint64_t droppedReplies = 0;
    uint64_t badHeaderChecksums = 0;
    uint64_t badDataChecksums = 0;
    uint64_t wrongSequences = 0;
    uint64_t garbage = 0;
    uint64_t truncated = 0;
    uint64_t closed = 0;
    uint64_t Total() const
    {
        return lostRequests + droppedReplies + badHeaderChecksums + badDataChecksums + wrongSequences + garbage +
               truncated + closed;
    }
};

class CFaults {
public:
    enum class Kind { None, LoseRequest, DropReply, BadHeaderChecksum, BadDataChecksum, WrongSequence, Garbage, Truncate };

    void DropReplies(int count) { m_drop = count; }
    void CorruptChecksums(int count) { m_corrupt = count; }
    void WrongSequences(int count) { m_wrongSeq = count; }
    // `garbage` empty: a few noise bytes without a start byte.
    void GarbageBefore(int count, Bytes garbage = {});
    void SetByteDelayMs(int ms) { m_byteDelayMs = ms < 0 ? 0 : ms; }
    int ByteDelayMs() const { return m_byteDelayMs; }
    // After `blocks` data blocks of the next transfer the connection is cut
    // (the reply to that block is not sent). Negative: off.
    void CloseAfterBlocks(int blocks);
    void FailFile(const std::string& name, uint8_t errorByte);
    uint8_t FileFailure(const std::string& name) const;
    void SetRandom(double rate, uint32_t seed);
    void Clear();

    // Rolls the random faults for one request; LoseRequest means the
    // controller never heard it.
    Kind Roll();

    struct Outgoing {
        Bytes bytes;          // what goes on the line; empty: nothing
        bool cutLine = false; // cut the connection instead
        int byteDelayMs = 0;
    };
    // Turns a reply frame into what the line carries, applying the forced
    // faults first and then the rolled one.
    Outgoing Shape(const Bytes& reply, CCommandReply::Transfer transfer, Kind rolled);

    const CFaultCounts& Counts() const { return m_counts; }

private:
    int m_drop = 0;
    int m_corrupt = 0;
    int m_wrongSeq = 0;
    int m_garbageCount = 0;
    Bytes m_garbage;
    int m_byteDelayMs = 0;
    int m_closeAfter = -1;
    bool m_closeCounting = false;
    int m_closeBlocks = 0;
    std::map<std::string, uint8_t> m_failFiles;
    double m_rate = 0.0;
    std::mt19937 m_rng{1};
    CFaultCounts m_counts;
};

}  // namespace jxsim
