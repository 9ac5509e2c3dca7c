// The file side of a Jx controller for the transfer benchmarks: an
// in-memory store that answers sync frames and the Jx file commands (plain
// and zlib), and acknowledges every other Jx command. Written from the
// controller's side of the wire format. Plugs into TcpController.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "TcpController.h"

class JxFileStore {
public:
    // Older controllers answer the compressed commands with type 4.
    std::atomic<bool> compressedSupported{true};
    // Block size the store announces for gets.
    std::atomic<uint16_t> getBlockSize{246};
    // Close the connection when this many frames have arrived (0: never).
    std::atomic<size_t> hangUpAtFrame{0};

    TcpController::Answer Answer(const std::vector<uint8_t>& frame);
    TcpController::Handler Handler()
    {
        return [this](const std::vector<uint8_t>& frame) { return Answer(frame); };
    }

    void Put(const std::string& name, std::vector<uint8_t> data);
    bool Get(const std::string& name, std::vector<uint8_t>& data) const;
    // Sub-commands of the headers seen, in order (1, 2, 20, 21, ...).
    std::vector<uint8_t> Headers() const;

private:
    struct Upload {
        std::string name;
        bool compressed = false;
        uint32_t blocks = 0;
        uint32_t plainLength = 0;
        std::vector<uint8_t> data;
    };
    std::vector<uint8_t> Commit();

    mutable std::mutex m_mutex;
    std::map<std::string, std::vector<uint8_t>> m_files;
    std::vector<uint8_t> m_headers;
    Upload m_upload;
    std::vector<uint8_t> m_download;  // the bytes the current get's blocks carry
    uint16_t m_downloadBlockSize = 246;
    size_t m_frames = 0;
};
