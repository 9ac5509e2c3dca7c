#include "CFaults.h"

#include "SimFrame.h"

namespace jxsim {

namespace {
void FixHeaderChecksum(Bytes& f) { f[5] = FrameChecksum(f.data(), 5); }
}  // namespace

void CFaults::GarbageBefore(int count, Bytes garbage)
{
    m_garbageCount = count;
    m_garbage = garbage.empty() ? Bytes{0x00, 0x13, 0xFF, 0xAA, 0x42, 0x0D, 0x0A} : std::move(garbage);
}

void CFaults::CloseAfterBlocks(int blocks)
{
    m_closeAfter = blocks;
    m_closeCounting = false;
    m_closeBlocks = 0;
}

void CFaults::FailFile(const std::string& name, uint8_t errorByte)
{
    if (errorByte == 0) m_failFiles.erase(name);
    else m_failFiles[name] = errorByte;
}

uint8_t CFaults::FileFailure(const std::string& name) const
{
    auto it = m_failFiles.find(name);
    return it == m_failFiles.end() ? 0 : it->second;
}

void CFaults::SetRandom(double rate, uint32_t seed)
{
    m_rate = rate < 0 ? 0 : (rate > 1 ? 1 : rate);
    m_rng.seed(seed);
}

void CFaults::Clear()
{
    const CFaultCounts counts = m_counts;
    *this = CFaults{};
    m_counts = counts;
}

CFaults::Kind CFaults::Roll()
{
    if (m_rate <= 0) return Kind::None;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    if (chance(m_rng) >= m_rate) return Kind::None;
    static const Kind kKinds[] = {Kind::LoseRequest, Kind::DropReply, Kind::BadHeaderChecksum, Kind::BadDataChecksum,
                                  Kind::WrongSequence, Kind::Garbage, Kind::Truncate};
    std::uniform_int_distribution<size_t> pick(0, std::size(kKinds) - 1);
    const Kind k = kKinds[pick(m_rng)];
    if (k == Kind::LoseRequest) ++m_counts.lostRequests;
    return k;
}

CFaults::Outgoing CFaults::Shape(const Bytes& reply, CCommandReply::Transfer transfer, Kind rolled)
{
    Outgoing out;
    out.byteDelayMs = m_byteDelayMs;
    if (m_closeAfter >= 0) {
        if (transfer == CCommandReply::Transfer::Start) {
            m_closeCounting = true;
            m_closeBlocks = 0;
        } else if (transfer == CCommandReply::Transfer::Block && m_closeCounting) {
            if (++m_closeBlocks >= m_closeAfter) {
                m_closeAfter = -1;
                m_closeCounting = false;
                ++m_counts.closed;
                out.cutLine = true;
                return out;
            }
        }
    }
    if (reply.size() < 6) return out;
    if (m_drop > 0) {
        --m_drop;
        ++m_counts.droppedReplies;
        return out;
    }
    Bytes f = reply;
    Bytes prefix;
    if (m_wrongSeq > 0) {
        --m_wrongSeq;
        ++m_counts.wrongSequences;
        f[4] = static_cast<uint8_t>(((f[4] + 0x10) & 0xF0) | (f[4] & 0x0F));
        FixHeaderChecksum(f);
    }
    if (m_corrupt > 0) {
        --m_corrupt;
        if (f.size() > 6) {
            f.back() ^= 0x5A;
            ++m_counts.badDataChecksums;
        } else {
            f[5] ^= 0x5A;
            ++m_counts.badHeaderChecksums;
        }
    }
    if (m_garbageCount > 0) {
        --m_garbageCount;
        ++m_counts.garbage;
        prefix = m_garbage;
    }

    switch (rolled) {
    case Kind::None:
    case Kind::LoseRequest:
        break;
    case Kind::DropReply:
        ++m_counts.droppedReplies;
        return out;
    case Kind::BadHeaderChecksum:
        ++m_counts.badHeaderChecksums;
        f[5] ^= static_cast<uint8_t>(1u << (m_rng() % 8));
        break;
    case Kind::BadDataChecksum:
        ++m_counts.badDataChecksums;
        if (f.size() > 7) f[6 + m_rng() % (f.size() - 7)] ^= static_cast<uint8_t>(1u << (m_rng() % 8));
        else f[5] ^= 0x01;
        break;
    case Kind::WrongSequence:
        ++m_counts.wrongSequences;
        f[4] = static_cast<uint8_t>(((f[4] + 0x10 * (1 + m_rng() % 15)) & 0xF0) | (f[4] & 0x0F));
        FixHeaderChecksum(f);
        break;
    case Kind::Garbage: {
        ++m_counts.garbage;
        // Noise that starts like a frame: the host's hunt for the start byte
        // locks onto it and must recover.
        const size_t n = 1 + m_rng() % 12;
        Bytes noise(n);
        for (auto& b : noise) b = static_cast<uint8_t>(m_rng());
        noise[0] = 0x55;
        prefix.insert(prefix.end(), noise.begin(), noise.end());
        break;
    }
    case Kind::Truncate:
        ++m_counts.truncated;
        f.resize(1 + m_rng() % (f.size() - 1));
        break;
    }
    out.bytes = std::move(prefix);
    out.bytes.insert(out.bytes.end(), f.begin(), f.end());
    return out;
}

}  // namespace jxsim
