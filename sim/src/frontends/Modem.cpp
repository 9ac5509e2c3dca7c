// --modem NUMBERS: a Hayes modem in front of the line. The host talks AT
// commands to it (AT, ATZ, AT&F, E, V, Q, S registers and the other usual
// settings answer OK); ATDT with a number dials, and the call then carries
// the line to the controllers until the host hangs up (ATH after the +++
// escape with its guard time, or DTR dropped: on a pseudo-terminal the host
// setting its line speed to 0, which is what dropping DTR is on a serial
// port), or the far end does (SimModemHangUp, or the line being cut).
//
// NUMBERS says what numbers answer: "5550000=busy,5551111=no-answer" with
// the results connect, busy, no-answer, no-dialtone, no-carrier and ring
// (ringing until S7 runs out); "*=RESULT" for any number not listed
// (default connect); "dial-ms=N" for how long dialling takes (default 0).
#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "CSimModem.h"
#include "CSimRegistry.h"
#include "SimTypes.h"
#include "jxsim/CJxSimulator.h"

namespace jxsim {

namespace {
enum class Outcome { Connect, Busy, NoAnswer, NoDialTone, NoCarrier, Ring };

constexpr int kSliceMs = 20;
constexpr size_t kCommandLineMax = 255;
constexpr size_t kCommandsKept = 256;

std::string Lower(std::string s)
{
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// The digits a dial string dials: tone and pulse marks, pauses, waits and
// the spacing people type fall away.
std::string DialDigits(const std::string& dial)
{
    std::string digits;
    for (char c : dial) {
        const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if ((u >= '0' && u <= '9') || u == '*' || u == '#' || u == '+' || (u >= 'A' && u <= 'D')) digits.push_back(u);
    }
    return digits;
}

bool ParseOutcome(const std::string& word, Outcome& outcome)
{
    std::string w = Lower(Trim(word));
    std::replace(w.begin(), w.end(), ' ', '-');
    std::replace(w.begin(), w.end(), '_', '-');
    static const std::pair<const char*, Outcome> kWords[] = {
        {"connect", Outcome::Connect},         {"busy", Outcome::Busy},
        {"no-answer", Outcome::NoAnswer},      {"no-dialtone", Outcome::NoDialTone},
        {"no-dial-tone", Outcome::NoDialTone}, {"no-carrier", Outcome::NoCarrier},
        {"ring", Outcome::Ring},
    };
    for (const auto& [text, o] : kWords)
        if (w == text) {
            outcome = o;
            return true;
        }
    return false;
}

struct CModemRules {
    std::map<std::string, Outcome> numbers;
    Outcome other = Outcome::Connect;
    int dialMs = 0;

    Outcome For(const std::string& number) const
    {
        const auto it = numbers.find(number);
        return it != numbers.end() ? it->second : other;
    }
};

bool ParseRules(const std::string& text, CModemRules& rules, std::string& error)
{
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string entry = Trim(text.substr(start, comma - start));
        start = comma + 1;
        if (entry.empty()) continue;
        const auto eq = entry.find('=');
        const std::string key = Trim(entry.substr(0, eq));
        const std::string value = eq == std::string::npos ? "connect" : Trim(entry.substr(eq + 1));
        if (Lower(key) == "dial-ms") {
            char* end = nullptr;
            const long ms = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || ms < 0 || ms > 600000) {
                error = "\"" + entry + "\": dial-ms is a number of milliseconds from 0 to 600000";
                return false;
            }
            rules.dialMs = static_cast<int>(ms);
            continue;
        }
        Outcome o{};
        if (!ParseOutcome(value, o)) {
            error = "\"" + entry + "\": the result is one of connect, busy, no-answer, no-dialtone, no-carrier, ring";
            return false;
        }
        if (key == "*") {
            rules.other = o;
            continue;
        }
        const std::string digits = DialDigits(key);
        if (digits.empty()) {
            error = "\"" + entry + "\": \"" + key + "\" is not a phone number";
            return false;
        }
        rules.numbers[digits] = o;
    }
    return true;
}

class CModemLine;
std::mutex g_modemsMutex;
std::map<std::string, CModemLine*> g_modems;  // by where the line is

class CModemLine final : public CSimLine {
public:
    CModemLine(std::unique_ptr<CSimLine> inner, CModemRules rules)
        : m_inner(std::move(inner)), m_where(m_inner->Where()), m_rules(std::move(rules))
    {
        Reset(true);
        std::lock_guard lock(g_modemsMutex);
        g_modems[m_where] = this;
    }
    ~CModemLine() override
    {
        std::lock_guard lock(g_modemsMutex);
        const auto it = g_modems.find(m_where);
        if (it != g_modems.end() && it->second == this) g_modems.erase(it);
    }

    std::string Where() const override { return m_where; }

    // A "peer" is a call: the modem serves AT commands until one connects.
    bool WaitForPeer() override
    {
        for (;;) {
            if (m_stop) return false;
            if (!m_innerPeer) {
                if (!m_inner->WaitForPeer()) return false;
                m_innerPeer = true;
                OnHook();
                Reset(true);
            }
            if (m_mode == Mode::Online) return true;
            const Served s = Serve(kSliceMs);
            if (s == Served::Stopped) return false;
            if (s == Served::HostGone) {
                m_innerPeer = false;
                OnHook();
            }
        }
    }

    ReadResult Read(uint8_t* buffer, size_t capacity, int timeoutMs) override
    {
        ReadResult r;
        const int64_t deadline = NowMs() + timeoutMs;
        for (;;) {
            if (!m_toControllers.empty()) {
                const size_t n = std::min(capacity, m_toControllers.size());
                std::copy_n(m_toControllers.begin(), n, buffer);
                m_toControllers.erase(m_toControllers.begin(), m_toControllers.begin() + static_cast<long>(n));
                r.status = ReadResult::Data;
                r.count = n;
                return r;
            }
            if (m_mode == Mode::Command || m_mode == Mode::Dialling) {
                r.status = ReadResult::PeerGone;  // the call is over
                return r;
            }
            const int64_t left = deadline - NowMs();
            if (left <= 0) return r;
            const Served s = Serve(static_cast<int>(std::min<int64_t>(left, kSliceMs)));
            if (s == Served::Stopped) {
                r.status = ReadResult::Stopped;
                return r;
            }
            if (s == Served::HostGone) {
                m_innerPeer = false;
                OnHook();
            }
        }
    }

    bool Write(const uint8_t* bytes, size_t count) override
    {
        // Replies that reach a modem out of its call go nowhere.
        if (m_mode != Mode::Online) return false;
        return m_inner->Write(bytes, count);
    }

    bool DropPeer() override
    {
        RemoteHangUp();
        return true;
    }

    void Interrupt() override
    {
        m_stop = true;
        m_inner->Interrupt();
        std::lock_guard lock(m_mutex);
        m_served.notify_all();
    }

    // ---- from other threads ------------------------------------------------
    CSimModemState State() const
    {
        std::lock_guard lock(m_mutex);
        CSimModemState s = m_state;
        s.present = true;
        return s;
    }

    bool RequestHangUp()
    {
        std::unique_lock lock(m_mutex);
        if (m_stop) return false;
        const uint64_t ticket = ++m_hangUpsAsked;
        m_served.wait_for(lock, std::chrono::seconds(5), [&] { return m_hangUpsDone >= ticket || m_stop.load(); });
        return m_hangUpsDone >= ticket && m_lastHangUpEndedCall;
    }

private:
    enum class Mode { Command, Dialling, Online, OnlineCommand };
    enum class Served { Idle, Stopped, HostGone };

    // ---- the engine's thread ---------------------------------------------
    Served Serve(int sliceMs)
    {
        ServeHangUpRequests();
        CheckDtr();
        RunTimers();
        uint8_t buf[512];
        const ReadResult r = m_inner->Read(buf, sizeof buf, sliceMs);
        switch (r.status) {
        case ReadResult::Stopped: return Served::Stopped;
        case ReadResult::PeerGone: return Served::HostGone;
        case ReadResult::Failed: std::this_thread::sleep_for(std::chrono::milliseconds(sliceMs)); break;
        case ReadResult::Timeout: break;
        case ReadResult::Data: {
            CheckDtr();
            if (m_dtrLow) break;  // a modem does not listen while DTR is down
            const int64_t now = NowMs();
            for (size_t i = 0; i < r.count; ++i) Take(buf[i], now);
            break;
        }
        }
        RunTimers();
        return Served::Idle;
    }

    void Take(uint8_t b, int64_t now)
    {
        switch (m_mode) {
        case Mode::Command:
        case Mode::OnlineCommand: CommandByte(b); break;
        case Mode::Dialling:
            // Any character ends the dialling.
            OnHook();
            Result("NO CARRIER", 3);
            break;
        case Mode::Online: OnlineByte(b, now); break;
        }
    }

    // The escape: guard time of silence, three escape characters each
    // within the guard time of the one before, guard time of silence. The
    // characters are held back meanwhile and pass as data if it comes to
    // nothing.
    void OnlineByte(uint8_t b, int64_t now)
    {
        const int64_t guard = int64_t{m_s[12]} * 20;
        const bool escapes = m_s[2] <= 127;
        if (escapes && m_pluses < 3 && b == m_s[2] &&
            (m_pluses > 0 ? now - m_lastPlusMs <= guard : now - m_lastDataMs >= guard)) {
            ++m_pluses;
            m_lastPlusMs = now;
            return;
        }
        ReleasePluses();
        m_toControllers.push_back(b);
        m_lastDataMs = now;
    }

    void ReleasePluses()
    {
        for (; m_pluses > 0; --m_pluses) m_toControllers.push_back(m_s[2]);
        m_lastDataMs = m_lastPlusMs;
    }

    void RunTimers()
    {
        const int64_t now = NowMs();
        if (m_mode == Mode::Online && m_pluses > 0) {
            const int64_t guard = int64_t{m_s[12]} * 20;
            if (m_pluses == 3 && now - m_lastPlusMs >= guard) {
                m_pluses = 0;
                SetMode(Mode::OnlineCommand);
                Count(&CSimModemState::escapes);
                Result("OK", 0);
            } else if (m_pluses < 3 && now - m_lastPlusMs > guard) {
                ReleasePluses();
            }
        }
        if (m_mode == Mode::Dialling && now >= m_dialAt) FinishDial();
    }

    void CheckDtr()
    {
        const bool low = m_inner->HasSpeed() && m_inner->HostSpeed() == 0;
        if (low == m_dtrLow) return;
        m_dtrLow = low;
        {
            std::lock_guard lock(m_mutex);
            m_state.dtrLow = low;
        }
        if (!low) return;
        switch (m_dtrMode) {
        case 0: break;
        case 1:
            if (m_mode == Mode::Online) {
                ReleasePluses();
                SetMode(Mode::OnlineCommand);
                Result("OK", 0);
            }
            break;
        default:
            if (m_mode != Mode::Command) {
                OnHook();
                Count(&CSimModemState::dtrHangUps);
            }
            if (m_dtrMode == 3) Reset(false);
            break;
        }
    }

    void ServeHangUpRequests()
    {
        uint64_t asked = 0;
        {
            std::lock_guard lock(m_mutex);
            asked = m_hangUpsAsked;
            if (asked == m_hangUpsDone) return;
        }
        const bool ended = RemoteHangUp();
        std::lock_guard lock(m_mutex);
        m_hangUpsDone = asked;
        m_lastHangUpEndedCall = ended;
        m_served.notify_all();
    }

    bool RemoteHangUp()
    {
        if (m_mode == Mode::Command) return false;
        OnHook();
        Count(&CSimModemState::remoteHangUps);
        Result("NO CARRIER", 3);
        return true;
    }

    // ---- command mode --------------------------------------------------------
    void CommandByte(uint8_t b)
    {
        if (m_echo) Send(std::string(1, static_cast<char>(b)));
        if (b == m_s[3]) {
            const std::string line = m_line;
            const bool overflow = m_overflow;
            m_line.clear();
            m_overflow = false;
            CommandLine(line, overflow);
        } else if (b == m_s[5]) {
            if (!m_line.empty()) m_line.pop_back();
        } else if (b != m_s[4]) {
            if (m_line.size() < kCommandLineMax) m_line.push_back(static_cast<char>(b));
            else m_overflow = true;
        }
    }

    void CommandLine(const std::string& line, bool overflow)
    {
        // Whatever comes before "AT" is not a command.
        size_t at = std::string::npos;
        for (size_t i = 0; i + 1 < line.size(); ++i)
            if ((line[i] == 'A' || line[i] == 'a') && (line[i + 1] == 'T' || line[i + 1] == 't')) {
                at = i;
                break;
            }
        if (at == std::string::npos) return;
        const std::string command = line.substr(at);
        {
            std::lock_guard lock(m_mutex);
            m_state.commands.push_back(command);
            if (m_state.commands.size() > kCommandsKept) m_state.commands.erase(m_state.commands.begin());
        }
        if (overflow) {
            Result("ERROR", 4);
            return;
        }
        Execute(command.substr(2));
    }

    void Execute(const std::string& cmd)
    {
        std::vector<std::string> info;
        size_t i = 0;
        auto number = [&](int fallback) {
            if (i >= cmd.size() || !std::isdigit(static_cast<unsigned char>(cmd[i]))) return fallback;
            int v = 0;
            while (i < cmd.size() && std::isdigit(static_cast<unsigned char>(cmd[i])) && v < 100000) v = v * 10 + (cmd[i++] - '0');
            return v;
        };
        while (i < cmd.size()) {
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(cmd[i++])));
            switch (c) {
            case ' ': break;
            case 'D': StartDial(cmd.substr(i)); return;
            case 'A': Result("NO CARRIER", 3); return;  // no call comes in
            case 'O':
                number(0);
                if (m_mode != Mode::OnlineCommand) {
                    Result("ERROR", 4);
                    return;
                }
                Result("CONNECT 33600", 1);
                m_lastDataMs = NowMs();
                SetMode(Mode::Online);
                return;
            case 'H':
                if (number(0) == 0 && m_mode != Mode::Command) {
                    OnHook();
                    Count(&CSimModemState::commandHangUps);
                }
                break;
            case 'Z':
                number(0);
                if (m_mode != Mode::Command) OnHook();
                Reset(false);
                break;
            case 'E': m_echo = number(0) != 0; break;
            case 'V': m_verbose = number(0) != 0; break;
            case 'Q': m_quiet = number(0) != 0; break;
            case 'I':
                number(0);
                info.push_back("JXSIM HAYES MODEM");
                break;
            case 'B': case 'C': case 'F': case 'L': case 'M': case 'N': case 'P': case 'T': case 'W': case 'X':
            case 'Y': number(0); break;
            case '&': {
                if (i >= cmd.size()) return Result("ERROR", 4);
                const char k = static_cast<char>(std::toupper(static_cast<unsigned char>(cmd[i++])));
                const int n = number(0);
                if (k == 'F') {
                    if (m_mode != Mode::Command) OnHook();
                    Reset(true);
                } else if (k == 'D') {
                    if (n > 3) return Result("ERROR", 4);
                    m_dtrMode = n;
                } else if (!std::isalpha(static_cast<unsigned char>(k))) {
                    return Result("ERROR", 4);
                }
                break;
            }
            case '\\':
            case '%':
                if (i >= cmd.size() || !std::isalpha(static_cast<unsigned char>(cmd[i]))) return Result("ERROR", 4);
                ++i;
                number(0);
                break;
            case '+':
            case '#':
                // Extended commands run to the next ';'.
                while (i < cmd.size() && cmd[i] != ';') ++i;
                if (i < cmd.size()) ++i;
                break;
            case 'S': {
                const int reg = number(-1);
                if (reg < 0 || reg > 255 || i >= cmd.size()) return Result("ERROR", 4);
                if (cmd[i] == '=') {
                    ++i;
                    const int v = number(0);
                    if (v > 255) return Result("ERROR", 4);
                    m_s[reg] = static_cast<uint8_t>(v);
                } else if (cmd[i] == '?') {
                    ++i;
                    char text[8];
                    std::snprintf(text, sizeof text, "%03d", m_s[reg]);
                    info.push_back(text);
                } else {
                    return Result("ERROR", 4);
                }
                break;
            }
            default: return Result("ERROR", 4);
            }
        }
        for (const auto& line : info) Send(m_verbose ? "\r\n" + line + "\r\n" : line + "\r\n");
        Result("OK", 0);
    }

    void StartDial(const std::string& dialString)
    {
        if (m_mode == Mode::OnlineCommand) return Result("ERROR", 4);  // a call is up already
        const std::string dial = Trim(dialString);
        const std::string number = DialDigits(dial);
        if (number.empty()) return Result("ERROR", 4);
        {
            std::lock_guard lock(m_mutex);
            ++m_state.dials;
            m_state.lastNumber = number;
        }
        m_voice = !dial.empty() && dial.back() == ';';
        m_outcome = m_rules.For(number);
        m_dialAt = NowMs() + (m_outcome == Outcome::Ring ? int64_t{m_s[7]} * 1000 : m_rules.dialMs);
        SetMode(Mode::Dialling);
    }

    void FinishDial()
    {
        if (m_voice && m_outcome == Outcome::Connect) {
            SetMode(Mode::Command);
            return Result("OK", 0);
        }
        switch (m_outcome) {
        case Outcome::Connect:
            Count(&CSimModemState::connects);
            m_lastDataMs = NowMs();
            m_pluses = 0;
            SetMode(Mode::Online);
            Result("CONNECT 33600", 1);
            return;
        case Outcome::Busy: OnHook(); return Result("BUSY", 7);
        case Outcome::NoAnswer: OnHook(); return Result("NO ANSWER", 8);
        case Outcome::NoDialTone: OnHook(); return Result("NO DIALTONE", 6);
        case Outcome::NoCarrier:
        case Outcome::Ring: OnHook(); return Result("NO CARRIER", 3);
        }
    }

    // ---- helpers ---------------------------------------------------------------
    void Result(const char* verbose, int numeric)
    {
        if (m_quiet) return;
        Send(m_verbose ? std::string("\r\n") + verbose + "\r\n" : std::to_string(numeric) + "\r");
    }

    void Send(const std::string& text) { m_inner->Write(reinterpret_cast<const uint8_t*>(text.data()), text.size()); }

    void SetMode(Mode mode)
    {
        m_mode = mode;
        std::lock_guard lock(m_mutex);
        m_state.offHook = mode != Mode::Command;
        m_state.online = mode == Mode::Online;
    }

    void OnHook()
    {
        m_pluses = 0;
        SetMode(Mode::Command);
    }

    void Count(int CSimModemState::*counter)
    {
        std::lock_guard lock(m_mutex);
        ++(m_state.*counter);
    }

    // Z: the stored profile, &F: the factory settings; the same here.
    void Reset(bool /*factory*/)
    {
        m_echo = true;
        m_verbose = true;
        m_quiet = false;
        m_dtrMode = 2;
        std::fill(std::begin(m_s), std::end(m_s), uint8_t{0});
        m_s[2] = '+';
        m_s[3] = '\r';
        m_s[4] = '\n';
        m_s[5] = '\b';
        m_s[7] = 50;
        m_s[12] = 50;
        m_line.clear();
        m_overflow = false;
    }

    std::unique_ptr<CSimLine> m_inner;
    const std::string m_where;
    const CModemRules m_rules;

    // The engine's thread only.
    bool m_innerPeer = false;
    Mode m_mode = Mode::Command;
    bool m_echo = true;
    bool m_verbose = true;
    bool m_quiet = false;
    int m_dtrMode = 2;
    uint8_t m_s[256] = {};
    std::string m_line;
    bool m_overflow = false;
    bool m_voice = false;
    Outcome m_outcome = Outcome::Connect;
    int64_t m_dialAt = 0;
    int64_t m_lastDataMs = 0;
    int64_t m_lastPlusMs = 0;
    int m_pluses = 0;
    bool m_dtrLow = false;
    std::deque<uint8_t> m_toControllers;

    // Shared with other threads.
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_served;
    CSimModemState m_state;
    uint64_t m_hangUpsAsked = 0;
    uint64_t m_hangUpsDone = 0;
    bool m_lastHangUpEndedCall = false;
};
}  // namespace

CSimModemState SimModemState(const CJxSimulator& sim)
{
    std::lock_guard lock(g_modemsMutex);
    const auto it = g_modems.find(sim.Where());
    return it != g_modems.end() ? it->second->State() : CSimModemState{};
}

bool SimModemHangUp(const CJxSimulator& sim)
{
    std::lock_guard lock(g_modemsMutex);
    const auto it = g_modems.find(sim.Where());
    return it != g_modems.end() && it->second->RequestHangUp();
}

JXSIM_REGISTER(Modem)
{
    registry.AddFrontEnd(
        {"modem", "NUMBERS",
         "a Hayes modem on the line; ATDT connects except NUMBERS such as 5550000=busy,5551111=no-answer",
         [](std::unique_ptr<CSimLine> inner, const std::string& value, std::string& error) -> std::unique_ptr<CSimLine> {
             CModemRules rules;
             if (!ParseRules(value, rules, error)) return nullptr;
             return std::make_unique<CModemLine>(std::move(inner), std::move(rules));
         }});
}

}  // namespace jxsim
