// --trace FILE: every byte the line carries, both ways, written to FILE as
// hex with a time stamp, one line per burst ("host>" from the host, "ctrl<"
// from the controllers). A technician sends it along with a problem report.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <sys/time.h>

#include "CSimRegistry.h"

namespace jxsim {

namespace {
class CTraceLine final : public CSimLine {
public:
    CTraceLine(std::unique_ptr<CSimLine> inner, std::FILE* file) : m_inner(std::move(inner)), m_file(file) {}
    ~CTraceLine() override
    {
        if (m_file != nullptr) std::fclose(m_file);
    }

    std::string Where() const override { return m_inner->Where(); }
    bool WaitForPeer() override
    {
        const bool ok = m_inner->WaitForPeer();
        if (ok) Note("host attached");
        return ok;
    }
    ReadResult Read(uint8_t* buffer, size_t capacity, int timeoutMs) override
    {
        const ReadResult r = m_inner->Read(buffer, capacity, timeoutMs);
        if (r.status == ReadResult::Data) Bytes("host>", buffer, r.count);
        else if (r.status == ReadResult::PeerGone) Note("host left");
        return r;
    }
    bool Write(const uint8_t* bytes, size_t count) override
    {
        Bytes("ctrl<", bytes, count);
        return m_inner->Write(bytes, count);
    }
    bool DropPeer() override
    {
        Note("line cut");
        return m_inner->DropPeer();
    }
    void Interrupt() override { m_inner->Interrupt(); }
    bool HasSpeed() const override { return m_inner->HasSpeed(); }
    uint32_t HostSpeed() const override { return m_inner->HostSpeed(); }

private:
    void Stamp()
    {
        timeval tv{};
        gettimeofday(&tv, nullptr);
        tm local{};
        localtime_r(&tv.tv_sec, &local);
        char text[32];
        std::strftime(text, sizeof text, "%H:%M:%S", &local);
        std::fprintf(m_file, "%s.%03d ", text, static_cast<int>(tv.tv_usec / 1000));
    }
    void Note(const char* what)
    {
        std::lock_guard lock(m_mutex);
        Stamp();
        std::fprintf(m_file, "-- %s\n", what);
        std::fflush(m_file);
    }
    void Bytes(const char* direction, const uint8_t* bytes, size_t count)
    {
        std::lock_guard lock(m_mutex);
        Stamp();
        std::fputs(direction, m_file);
        for (size_t i = 0; i < count; ++i) std::fprintf(m_file, " %02X", bytes[i]);
        std::fputc('\n', m_file);
        std::fflush(m_file);
    }

    std::unique_ptr<CSimLine> m_inner;
    std::FILE* m_file;
    std::mutex m_mutex;
};
}  // namespace

JXSIM_REGISTER(LineTrace)
{
    registry.AddFrontEnd({"trace", "FILE", "write every byte of the line, both ways, to FILE",
                          [](std::unique_ptr<CSimLine> inner, const std::string& path,
                             std::string& error) -> std::unique_ptr<CSimLine> {
                              std::FILE* f = std::fopen(path.c_str(), "a");
                              if (f == nullptr) {
                                  error = "cannot open " + path + ": " + std::strerror(errno);
                                  return nullptr;
                              }
                              return std::make_unique<CTraceLine>(std::move(inner), f);
                          }});
}

}  // namespace jxsim
