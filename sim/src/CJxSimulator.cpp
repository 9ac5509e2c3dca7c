// The engine: one thread takes bytes off the line, cuts them into frames,
// hands each frame to the controller it is addressed to (or to every
// controller that listens to a broadcast address), and writes the reply,
// shaped by the faults asked for.
#include "jxsim/CJxSimulator.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "CCommandTable.h"
#include "CController.h"
#include "CSimRegistry.h"
#include "PortMap.h"
#include "SimFrame.h"
#include "lines/CPtyLine.h"
#include "lines/CTcpLine.h"

namespace jxsim {

namespace {
const size_t kRecordLimit = 4096;
const int64_t kFrameGapMs = 500;  // a frame cut off for this long is noise

std::string Hex(uint8_t b)
{
    char t[8];
    std::snprintf(t, sizeof t, "0x%02X", b);
    return t;
}
}  // namespace

struct CJxSimulator::Impl final : CSimServices {
    CSimOptions options;
    std::string error;
    std::vector<std::unique_ptr<CController>> controllers;
    const CCommandTable& table = CSimRegistry::Instance().Commands();

    std::unique_ptr<CSimLine> line;
    CTcpLine* tcp = nullptr;
    CPtyLine* pty = nullptr;
    std::thread thread;
    std::atomic<bool> stopping{false};

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    CFaults faults;
    std::deque<CRecordedCommand> recorded;
    uint64_t framesHandled = 0;
    bool deaf = false;  // cut on a line that cannot be cut: silent until the next sync

    CFrameReceiver receiver;
    uint32_t partialSpeed = 0;
    int64_t lastByteMs = 0;

    struct PortMapEntry {
        std::string path;
        int number;
        std::string device;
        std::vector<std::string> replaced;
    };
    std::vector<PortMapEntry> portMapEntries;

    // --- set-up ----------------------------------------------------------
    bool Build()
    {
        if (options.addresses.empty()) options.addresses.push_back(1);
        if (options.getBlockSize < 1 || options.getBlockSize > 246) {
            error = "block size " + std::to_string(options.getBlockSize) + " is not 1 to 246";
            return false;
        }
        for (size_t i = 0; i < options.addresses.size(); ++i) {
            const uint8_t a = options.addresses[i];
            if (a < 1 || a > 240) {
                error = "controller address " + std::to_string(a) + " is not 1 to 240";
                return false;
            }
            if (std::count(options.addresses.begin(), options.addresses.end(), a) > 1) {
                error = "controller address " + std::to_string(a) + " is given twice";
                return false;
            }
        }
        for (uint8_t a : options.addresses) {
            std::unique_ptr<CFileStore> store;
            if (options.root.empty()) {
                store = std::make_unique<CMemoryStore>();
            } else {
                const std::string folder =
                    options.addresses.size() == 1 ? options.root : options.root + "/" + std::to_string(a);
                auto f = std::make_unique<CFolderStore>(folder);
                if (!f->Prepare(error)) return false;
                for (const auto& host : f->LeftOut())
                    Log(folder + "/" + host + " is not shown: it is not a name the controller stores a file under"
                        " (names are up to 110 bytes; '%', '/', '\\', control bytes and a leading '.' are"
                        " written as %XX, '%' as %25)");
                store = std::move(f);
            }
            CControllerSettings s;
            s.address = a;
            s.baud = options.baud;
            s.bootMs = options.bootMs;
            s.version = options.version;
            s.displayName = options.displayName;
            s.memoryBytes = options.memoryBytes;
            s.volatileBytes = options.volatileBytes;
            s.compression = options.compression;
            s.tcpPort = options.configTcpPort;
            s.getBlockSize = options.getBlockSize;
            auto c = std::make_unique<CController>(s, std::move(store));
            c->SeedStore(options.samples);
            controllers.push_back(std::move(c));
        }
        return true;
    }

    bool Start(std::unique_ptr<CSimLine> opened)
    {
        if (!options.frontEnd.empty()) {
            const CLineFrontEnd* f = CSimRegistry::Instance().FindFrontEnd(options.frontEnd);
            if (f == nullptr) {
                error = "no line front end named " + options.frontEnd;
                return false;
            }
            std::string why;
            opened = f->wrap(std::move(opened), options.frontEndValue, why);
            if (!opened) {
                error = "--" + options.frontEnd + ": " + (why.empty() ? "cannot start" : why);
                return false;
            }
        }
        line = std::move(opened);
        thread = std::thread([this] { Run(); });
        return true;
    }

    void Log(const std::string& text) const
    {
        if (options.log) options.log(text);
    }

    // --- CSimServices ----------------------------------------------------
    uint8_t FileFailure(const std::string& name) const override { return faults.FileFailure(name); }

    // --- the line --------------------------------------------------------
    void Run()
    {
        uint8_t buf[4096];
        while (!stopping) {
            if (!line->WaitForPeer()) break;
            if (tcp != nullptr) Log("host connected");
            receiver.Reset();
            bool peer = true;
            while (peer && !stopping) {
                const auto r = line->Read(buf, sizeof buf, 200);
                switch (r.status) {
                case CSimLine::ReadResult::Stopped:
                    return;
                case CSimLine::ReadResult::PeerGone:
                    Log("host left");
                    peer = false;
                    break;
                case CSimLine::ReadResult::Failed:
                    if (tcp != nullptr) {
                        peer = false;
                    } else {
                        std::unique_lock lock(mutex);
                        changed.wait_for(lock, std::chrono::milliseconds(100), [this] { return stopping.load(); });
                    }
                    break;
                case CSimLine::ReadResult::Timeout:
                    if (receiver.HasPartialFrame() && NowMs() - lastByteMs > kFrameGapMs) receiver.Reset();
                    break;
                case CSimLine::ReadResult::Data:
                    Take(buf, r);
                    break;
                }
            }
        }
    }

    void Take(const uint8_t* bytes, const CSimLine::ReadResult& r)
    {
        lastByteMs = NowMs();
        const bool hadPartial = receiver.HasPartialFrame();
        std::vector<CFrameReceiver::Event> events;
        receiver.Feed(bytes, r.count, events);
        for (size_t i = 0; i < events.size(); ++i) {
            const bool continued = i == 0 && hadPartial;
            const uint32_t speed = continued ? partialSpeed : r.speed;
            // A frame whose bytes came at two speeds is noise to everyone.
            if (line->HasSpeed() && continued && partialSpeed != r.speed) continue;
            Handle(events[i], speed);
        }
        if (receiver.HasPartialFrame() && (!hadPartial || !events.empty())) partialSpeed = r.speed;
    }

    bool SpeedOk(const CController& c, uint32_t speed) const { return !line->HasSpeed() || speed == c.Baud(); }

    CController* ByCurrentAddress(uint8_t address)
    {
        for (auto& c : controllers)
            if (c->Address() == address) return c.get();
        return nullptr;
    }
    CController* ByHardwareAddress(uint8_t address) const
    {
        if (controllers.empty()) return nullptr;
        if (address == 0) return controllers.front().get();
        for (const auto& c : controllers)
            if (c->HardwareAddress() == address) return c.get();
        return nullptr;
    }

    struct Acted {
        CCommandReply reply;
        std::string name;
        uint16_t command = 0;
        uint32_t newBaud = 0;
    };

    Acted Act(CController& c, const CFrame& f, bool broadcast)
    {
        Acted a;
        switch (f.Type()) {
        case kTypeSync:
            a.name = "sync";
            c.Synchronised();
            a.reply = CCommandReply::OfType(kTypeSync);
            break;
        case kTypeBroadcastEnable:
        case kTypeBroadcastDisable: {
            const bool enable = f.Type() == kTypeBroadcastEnable;
            a.name = enable ? "enable broadcast address" : "disable broadcast address";
            if (!f.data.empty() && IsBroadcast(f.data[0])) {
                c.SetListening(f.data[0], enable);
                a.reply = CCommandReply::OfType(kTypeReply);
                a.reply.note = std::to_string(f.data[0]);
            } else {
                a.reply = CCommandReply::OfType(kTypeBadCommand);
                a.reply.note = "not a broadcast address";
            }
            break;
        }
        case kTypeBroadcastQuery:
            a.name = "query broadcast addresses";
            a.reply = CCommandReply::OfType(kTypeBroadcastQuery);
            a.reply.data = {static_cast<uint8_t>(c.BroadcastMask()), static_cast<uint8_t>(c.BroadcastMask() >> 8)};
            break;
        case kTypeBaudRate: {
            a.name = "set baud rate";
            const uint32_t baud = f.data.size() >= 4 ? Le32(f.data.data()) : 0;
            if (CController::IsSupportedBaud(baud)) {
                a.reply = CCommandReply::OfType(kTypeReply);
                a.newBaud = baud;
                a.reply.note = std::to_string(baud);
            } else {
                a.reply = CCommandReply::OfType(kTypeBadCommand);
                a.reply.note = "unsupported speed " + std::to_string(baud);
            }
            break;
        }
        case kTypeCommand: {
            a.command = CCommandTable::KeyOf(f.data);
            const CCommandTable::Entry* e = table.Find(f.data);
            if (f.data.empty()) {
                a.name = "empty command";
                a.reply = CCommandReply::OfType(kTypeBadCommand);
            } else if (e == nullptr) {
                a.name = "unknown command " + Hex(f.data[0]);
                if (f.data[0] == kExtendedPrefix && f.data.size() > 1) a.name += " " + Hex(f.data[1]);
                a.reply = CCommandReply::OfType(kTypeUnsupported);
            } else {
                a.name = e->name;
                CCommandContext ctx{c, f, broadcast, *this};
                a.reply = e->handler(ctx);
            }
            break;
        }
        default:
            a.name = "frame type " + std::to_string(f.Type());
            a.reply = CCommandReply::OfType(kTypeUnsupported);
            break;
        }
        return a;
    }

    void Record(const CFrame& f, const std::string& name, uint16_t command, const CCommandReply* reply,
                const std::string& note, bool broadcast, bool duplicate, int replyType)
    {
        CRecordedCommand r;
        r.timeMs = NowMs();
        r.address = f.address;
        r.frameType = f.Type();
        r.command = command;
        r.name = name;
        r.note = note;
        r.request = f.data;
        r.broadcast = broadcast;
        r.duplicate = duplicate;
        r.replyType = replyType;
        r.errorByte = reply != nullptr ? reply->ErrorByte() : 0;
        recorded.push_back(std::move(r));
        if (recorded.size() > kRecordLimit) recorded.pop_front();
    }

    void LogCommand(uint8_t address, const Acted& a, bool broadcast)
    {
        if (!options.log) return;
        const bool quiet = a.reply.transfer == CCommandReply::Transfer::Block || a.name == "sync";
        if (quiet && !options.logFrames) return;
        std::string line = "[" + std::to_string(address) + "] " + a.name;
        if (!a.reply.note.empty()) line += ": " + a.reply.note;
        if (broadcast) line += " (broadcast)";
        if (a.reply.type == kTypeUnsupported) line += " -> unsupported";
        else if (a.reply.type == kTypeBadCommand) line += " -> bad command";
        else if (const uint8_t e = a.reply.ErrorByte(); e != 0) line += " -> error " + std::to_string(e);
        Log(line);
    }

    void Done()
    {
        ++framesHandled;
        changed.notify_all();
    }

    void Handle(const CFrameReceiver::Event& ev, uint32_t speed)
    {
        std::unique_lock lock(mutex);
        const CFrame& f = ev.frame;
        const int64_t now = NowMs();
        if (deaf) {
            if (f.Type() != kTypeSync) {
                Record(f, "ignored", 0, nullptr, "the line is cut until the next sync", IsBroadcast(f.address), false, -1);
                Done();
                return;
            }
            deaf = false;
        }
        const CFaults::Kind rolled = faults.Roll();
        if (rolled == CFaults::Kind::LoseRequest) {
            Record(f, "lost", 0, nullptr, "lost on the line (random fault)", IsBroadcast(f.address), false, -1);
            Done();
            return;
        }

        if (IsBroadcast(f.address)) {
            std::vector<CController*> reboot;
            for (auto& c : controllers) {
                if (c->Booting(now) || !SpeedOk(*c, speed) || !c->ListensTo(f.address)) continue;
                if (ev.kind != CFrameReceiver::Event::Frame) continue;
                Acted a = Act(*c, f, true);
                Record(f, a.name, a.command, &a.reply, a.reply.note, true, false, -1);
                LogCommand(c->Address(), a, true);
                if (a.newBaud != 0) c->SetBaud(a.newBaud);
                if (a.reply.rebootAfter) reboot.push_back(c.get());
            }
            for (CController* c : reboot) Reboot(*c);
            Done();
            return;
        }

        CController* c = ByCurrentAddress(f.address);
        if (c == nullptr) {
            Done();  // another controller's frame: not ours to answer
            return;
        }
        if (c->Booting(now) || !SpeedOk(*c, speed)) {
            Record(f, "ignored", 0, nullptr, c->Booting(now) ? "booting" : "wrong line speed " + std::to_string(speed),
                   false, false, -1);
            Done();
            return;
        }

        Acted a;
        Bytes replyFrame;
        bool duplicate = false;
        auto& last = c->Last();
        if (ev.kind == CFrameReceiver::Event::BadData) {
            a.name = "bad data checksum";
            a.reply = CCommandReply::OfType(kTypeBadCommand);
            replyFrame = BuildFrame(f.address, static_cast<uint8_t>(f.Sequence() | kTypeBadCommand));
        } else if (f.Type() != kTypeSync && last.valid && last.seqType == f.seqType && last.request == f.data) {
            // The host did not get our reply and asks again: answer the same,
            // without acting twice (a rename must not fail as "not found").
            a.name = "repeated request";
            a.command = f.Type() == kTypeCommand ? CCommandTable::KeyOf(f.data) : 0;
            replyFrame = last.reply;
            duplicate = true;
            if (replyFrame.size() >= 6) a.reply.type = replyFrame[4] & 0x0F;
        } else {
            a = Act(*c, f, false);
            replyFrame = BuildFrame(f.address, static_cast<uint8_t>(f.Sequence() | a.reply.type), a.reply.data);
            last = {true, f.seqType, f.data, replyFrame};
        }
        const CFaults::Outgoing out =
            faults.Shape(replyFrame, duplicate ? CCommandReply::Transfer::None : a.reply.transfer, rolled);
        Record(f, a.name, a.command, duplicate ? nullptr : &a.reply, a.reply.note, false, duplicate,
               out.bytes.empty() ? -1 : a.reply.type);
        if (!duplicate) LogCommand(f.address, a, false);

        // What the command changes takes effect before the reply leaves, so
        // a host that has the reply sees it done; the new line speed and the
        // reboot still only matter to the frames after it.
        if (out.cutLine) {
            Log("cutting the line in the middle of a transfer");
            deaf = !line->DropPeer();
        }
        if (a.newBaud != 0) c->SetBaud(a.newBaud);
        if (a.reply.rebootAfter) Reboot(*c);
        lock.unlock();

        if (!out.cutLine && !out.bytes.empty()) Send(out);

        lock.lock();
        Done();
    }

    void Send(const CFaults::Outgoing& out)
    {
        if (out.byteDelayMs <= 0) {
            if (!line->Write(out.bytes.data(), out.bytes.size())) Undelivered();
            return;
        }
        for (size_t i = 0; i < out.bytes.size() && !stopping; ++i) {
            if (!line->Write(&out.bytes[i], 1)) {
                Undelivered();
                return;
            }
            std::unique_lock lock(mutex);
            changed.wait_for(lock, std::chrono::milliseconds(out.byteDelayMs), [this] { return stopping.load(); });
        }
    }

    void Undelivered() const
    {
        if (stopping) return;
        Log("a reply did not reach the host: it has left, or it took nothing for " +
            std::to_string(CSimLine::kWriteLimitMs / 1000) + " s");
    }

    void Reboot(CController& c)
    {
        c.Reboot(NowMs());
        Log("[" + std::to_string(c.HardwareAddress()) + "] reset: rebooting for " +
            std::to_string(c.Settings().bootMs) + " ms (reset " + std::to_string(c.ResetCount()) + ")");
    }

    void StopThread()
    {
        stopping = true;
        {
            std::lock_guard lock(mutex);
            changed.notify_all();
        }
        if (line) line->Interrupt();
        if (thread.joinable()) thread.join();
        for (const auto& e : portMapEntries) {
            std::string why;
            if (!RemovePortMapEntry(e.path, e.number, e.device, e.replaced, why))
                Log("COM" + std::to_string(e.number) + " stays in the port map: " + why);
        }
        portMapEntries.clear();
    }
};

// ---------------------------------------------------------------------------
CJxSimulator::CJxSimulator(CSimOptions options) : m_impl(std::make_unique<Impl>())
{
    m_impl->options = std::move(options);
    if (!m_impl->Build()) m_impl->controllers.clear();
}

CJxSimulator::~CJxSimulator() { Stop(); }

bool CJxSimulator::Ok() const { return m_impl->error.empty(); }
const std::string& CJxSimulator::Error() const { return m_impl->error; }

bool CJxSimulator::ListenTcp(const std::string& host, uint16_t port)
{
    if (!Ok() || m_impl->line) {
        if (Ok()) m_impl->error = "the simulator already runs on " + Where();
        return false;
    }
    auto tcp = std::make_unique<CTcpLine>();
    if (!tcp->Listen(host, port, m_impl->error)) return false;
    m_impl->tcp = tcp.get();
    return m_impl->Start(std::move(tcp));
}

bool CJxSimulator::OpenPty()
{
    if (!Ok() || m_impl->line) {
        if (Ok()) m_impl->error = "the simulator already runs on " + Where();
        return false;
    }
    auto pty = std::make_unique<CPtyLine>();
    if (!pty->Open(m_impl->error)) return false;
    m_impl->pty = pty.get();
    return m_impl->Start(std::move(pty));
}

bool CJxSimulator::RegisterComPort(int number, const std::string& mapPath)
{
    if (m_impl->pty == nullptr) {
        m_impl->error = "a COM port needs the pseudo-terminal";
        return false;
    }
    if (number < 1 || number > 255) {
        m_impl->error = "COM port number " + std::to_string(number) + " is not 1 to 255";
        return false;
    }
    const std::string path = mapPath.empty() ? DefaultPortMapPath() : mapPath;
    std::vector<std::string> replaced;
    if (!AddPortMapEntry(path, number, m_impl->pty->SlavePath(), replaced, m_impl->error)) return false;
    m_impl->portMapEntries.push_back({path, number, m_impl->pty->SlavePath(), replaced});
    return true;
}

std::string CJxSimulator::PortMapPath() const
{
    return m_impl->portMapEntries.empty() ? std::string() : m_impl->portMapEntries.back().path;
}

void CJxSimulator::Stop() { m_impl->StopThread(); }

std::string CJxSimulator::Where() const { return m_impl->line ? m_impl->line->Where() : std::string(); }
uint16_t CJxSimulator::TcpPort() const { return m_impl->tcp != nullptr ? m_impl->tcp->Port() : 0; }
std::string CJxSimulator::PtyPath() const { return m_impl->pty != nullptr ? m_impl->pty->SlavePath() : std::string(); }

#define JXSIM_LOCKED std::lock_guard lock(m_impl->mutex)

void CJxSimulator::DropReplies(int count) { JXSIM_LOCKED; m_impl->faults.DropReplies(count); }
void CJxSimulator::CorruptChecksums(int count) { JXSIM_LOCKED; m_impl->faults.CorruptChecksums(count); }
void CJxSimulator::WrongSequences(int count) { JXSIM_LOCKED; m_impl->faults.WrongSequences(count); }
void CJxSimulator::GarbageBeforeReplies(int count, const Bytes& garbage) { JXSIM_LOCKED; m_impl->faults.GarbageBefore(count, garbage); }
void CJxSimulator::SetByteDelayMs(int ms) { JXSIM_LOCKED; m_impl->faults.SetByteDelayMs(ms); }
void CJxSimulator::CloseAfterBlocks(int blocks) { JXSIM_LOCKED; m_impl->faults.CloseAfterBlocks(blocks); }
void CJxSimulator::FailFile(const std::string& name, uint8_t errorByte) { JXSIM_LOCKED; m_impl->faults.FailFile(name, errorByte); }
void CJxSimulator::SetRandomFaults(double rate, uint32_t seed) { JXSIM_LOCKED; m_impl->faults.SetRandom(rate, seed); }
void CJxSimulator::ClearFaults() { JXSIM_LOCKED; m_impl->faults.Clear(); }
CFaultCounts CJxSimulator::FaultCounts() const { JXSIM_LOCKED; return m_impl->faults.Counts(); }

void CJxSimulator::SetCompressionSupported(bool on)
{
    JXSIM_LOCKED;
    for (auto& c : m_impl->controllers) c->SetCompressionSupported(on);
}

std::vector<CFileEntry> CJxSimulator::Files(uint8_t address) const
{
    JXSIM_LOCKED;
    const CController* c = m_impl->ByHardwareAddress(address);
    return c != nullptr ? c->Store().List() : std::vector<CFileEntry>{};
}

bool CJxSimulator::GetFile(const std::string& name, Bytes& data, uint8_t address) const
{
    JXSIM_LOCKED;
    const CController* c = m_impl->ByHardwareAddress(address);
    return c != nullptr && c->Store().Read(name, data);
}

bool CJxSimulator::PutFile(const std::string& name, const Bytes& data, int64_t sec, uint8_t address)
{
    JXSIM_LOCKED;
    CController* c = m_impl->ByHardwareAddress(address);
    return c != nullptr && c->Store().Write(name, data, sec != 0 ? sec : UnixNow());
}

bool CJxSimulator::RemoveFile(const std::string& name, uint8_t address)
{
    JXSIM_LOCKED;
    CController* c = m_impl->ByHardwareAddress(address);
    return c != nullptr && c->Store().Remove(name);
}

int CJxSimulator::ResetCount(uint8_t address) const
{
    JXSIM_LOCKED;
    const CController* c = m_impl->ByHardwareAddress(address);
    return c != nullptr ? c->ResetCount() : 0;
}

uint32_t CJxSimulator::Baud(uint8_t address) const
{
    JXSIM_LOCKED;
    const CController* c = m_impl->ByHardwareAddress(address);
    return c != nullptr ? c->Baud() : 0;
}

uint8_t CJxSimulator::CurrentAddress(uint8_t address) const
{
    JXSIM_LOCKED;
    const CController* c = m_impl->ByHardwareAddress(address);
    return c != nullptr ? c->Address() : 0;
}

std::string CJxSimulator::FirmwareVersion(uint8_t address) const
{
    JXSIM_LOCKED;
    const CController* c = m_impl->ByHardwareAddress(address);
    return c != nullptr ? c->FirmwareVersion() : std::string();
}

CDisplayState CJxSimulator::Display(uint8_t address) const
{
    JXSIM_LOCKED;
    const CController* c = m_impl->ByHardwareAddress(address);
    return c != nullptr ? c->Display() : CDisplayState{};
}

uint16_t CJxSimulator::BroadcastMask(uint8_t address) const
{
    JXSIM_LOCKED;
    const CController* c = m_impl->ByHardwareAddress(address);
    return c != nullptr ? c->BroadcastMask() : 0;
}

bool CJxSimulator::Booting(uint8_t address) const
{
    JXSIM_LOCKED;
    const CController* c = m_impl->ByHardwareAddress(address);
    return c != nullptr && c->Booting(NowMs());
}

bool CJxSimulator::WithController(uint8_t address, const std::function<void(CController&)>& visit)
{
    JXSIM_LOCKED;
    CController* c = m_impl->ByHardwareAddress(address);
    if (c == nullptr) return false;
    visit(*c);
    return true;
}

std::vector<CRecordedCommand> CJxSimulator::Commands() const
{
    JXSIM_LOCKED;
    return {m_impl->recorded.begin(), m_impl->recorded.end()};
}

void CJxSimulator::ClearCommands()
{
    JXSIM_LOCKED;
    m_impl->recorded.clear();
}

uint64_t CJxSimulator::FramesHandled() const
{
    JXSIM_LOCKED;
    return m_impl->framesHandled;
}

bool CJxSimulator::WaitForFrames(uint64_t count, int timeoutMs) const
{
    std::unique_lock lock(m_impl->mutex);
    return m_impl->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [this, count] { return m_impl->framesHandled >= count; });
}

}  // namespace jxsim
