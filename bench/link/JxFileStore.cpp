#include "JxFileStore.h"

#include <cstring>
#include <zlib.h>

namespace {
using Bytes = std::vector<uint8_t>;

uint32_t Le(const uint8_t* p, int n)
{
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
void PutLe(uint8_t* p, uint32_t v, int n)
{
    for (int i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
std::string NameAt(const uint8_t* field)
{
    size_t n = 0;
    while (n < 110 && field[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(field), n);
}
Bytes Ack(uint8_t sub, uint8_t error = 0)
{
    return {0x80, sub, error, 0, 0, 0, 0, 0};
}
}  // namespace

void JxFileStore::Put(const std::string& name, std::vector<uint8_t> data)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_files[name] = std::move(data);
}

bool JxFileStore::Get(const std::string& name, std::vector<uint8_t>& data) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_files.find(name);
    if (it == m_files.end()) return false;
    data = it->second;
    return true;
}

std::vector<uint8_t> JxFileStore::Headers() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_headers;
}

std::vector<uint8_t> JxFileStore::Commit()
{
    Bytes file;
    if (m_upload.compressed) {
        file.resize(m_upload.plainLength);
        uLongf size = m_upload.plainLength;
        if (uncompress(file.data(), &size, m_upload.data.data(), m_upload.data.size()) != Z_OK ||
            size != m_upload.plainLength)
            return Ack(5, 3);
    } else {
        file = m_upload.data;
    }
    m_files[m_upload.name] = std::move(file);
    return Ack(5);
}

TcpController::Answer JxFileStore::Answer(const std::vector<uint8_t>& frame)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_frames;
    if (hangUpAtFrame != 0 && m_frames >= hangUpAtFrame) return {{}, true};
    const uint8_t type = frame[4] & 0x0F;
    if (type == 3) return {ControllerReply(frame, 3)};
    const uint8_t* d = frame.data() + 6;
    const size_t n = frame[3];
    if (type != 0 || n < 2 || d[0] != 0x80) return {ControllerReply(frame, 4)};
    const uint8_t sub = d[1];
    auto reply = [&](const Bytes& data) { return TcpController::Answer{ControllerReply(frame, 1, data)}; };

    switch (sub) {
    case 1:
    case 20: {
        m_headers.push_back(sub);
        if (sub == 20 && !compressedSupported) return {ControllerReply(frame, 4)};
        m_upload = Upload{};
        m_upload.name = NameAt(d + 3);
        m_upload.compressed = sub == 20;
        m_upload.blocks = Le(d + 117, 2);
        m_upload.data.assign(Le(d + 121, 4), 0);
        m_upload.plainLength = sub == 20 ? Le(d + 125, 4) : static_cast<uint32_t>(m_upload.data.size());
        if (m_upload.blocks == 0) return reply(Commit()[2] == 0 ? Ack(sub) : Ack(sub, 3));
        return reply(Ack(sub));
    }
    case 5: {
        const uint32_t number = Le(d + 3, 2);
        const size_t at = (number - 1) * 246u;
        if (number == 0 || number > m_upload.blocks || at >= m_upload.data.size()) return reply(Ack(5, 5));
        const size_t count = m_upload.data.size() - at < 246 ? m_upload.data.size() - at : 246;
        std::memcpy(m_upload.data.data() + at, d + 9, count);
        if (number == m_upload.blocks) return reply(Commit());
        return reply(Ack(5));
    }
    case 2:
    case 21: {
        m_headers.push_back(sub);
        if (sub == 21 && !compressedSupported) return {ControllerReply(frame, 4)};
        Bytes header(152, 0);
        header[0] = 0x80;
        header[1] = sub;
        std::memcpy(header.data() + 3, d + 3, 110);
        const auto it = m_files.find(NameAt(d + 3));
        if (it == m_files.end()) {
            header[124] = 2;  // no such file
            return reply(header);
        }
        const Bytes& plain = it->second;
        if (sub == 21) {
            uLongf size = compressBound(plain.size());
            m_download.assign(size, 0);
            compress(m_download.data(), &size, plain.data(), plain.size());
            m_download.resize(size);
        } else {
            m_download = plain;
        }
        m_downloadBlockSize = getBlockSize;
        const uint32_t blocks = static_cast<uint32_t>((m_download.size() + getBlockSize - 1) / getBlockSize);
        PutLe(header.data() + 116, blocks, 2);
        PutLe(header.data() + 118, getBlockSize, 2);
        PutLe(header.data() + 120, static_cast<uint32_t>(m_download.size()), 4);
        PutLe(header.data() + 125, static_cast<uint32_t>(plain.size()), 4);
        return reply(header);
    }
    case 6: {
        const uint32_t number = Le(d + 3, 2);
        const size_t at = (number - 1) * static_cast<size_t>(m_downloadBlockSize);
        if (number == 0 || at >= m_download.size()) return reply(Ack(6, 5));
        const size_t count = m_download.size() - at < m_downloadBlockSize ? m_download.size() - at : m_downloadBlockSize;
        Bytes block(8 + count, 0);
        block[0] = 0x80;
        block[1] = 6;
        block[3] = d[3];
        block[4] = d[4];
        std::memcpy(block.data() + 8, m_download.data() + at, count);
        return reply(block);
    }
    case 3: {
        const auto it = m_files.find(NameAt(d + 3));
        if (it == m_files.end()) return reply(Ack(3, 2));
        Bytes data = std::move(it->second);
        m_files.erase(it);
        m_files[NameAt(d + 113)] = std::move(data);
        return reply(Ack(3));
    }
    case 4:
        return reply(Ack(4, m_files.erase(NameAt(d + 3)) == 1 ? 0 : 2));
    default:
        return reply(Ack(sub));
    }
}
