// The link library against jxsim started in the test's own process, over
// loopback TCP, a pseudo-terminal reached as a COM port, or a call through
// jxsim's Hayes modem on a pseudo-terminal (the dial-up port, with its own
// receive loop).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "KorNet.h"
#include "TempDir.h"
#include "frontends/CSimModem.h"
#include "jxsim/CJxSimulator.h"

enum class SimTransport { Tcp, Pty, Modem };

inline std::string TransportName(const ::testing::TestParamInfo<SimTransport>& info)
{
    switch (info.param) {
    case SimTransport::Tcp:
        return "Tcp";
    case SimTransport::Pty:
        return "Pty";
    case SimTransport::Modem:
        return "Modem";
    }
    return "Unknown";
}

class SimLinkTest : public ::testing::TestWithParam<SimTransport> {
protected:
    static constexpr int16_t kCom = 11;
    static constexpr uint32_t kLineId = 7;
    static constexpr const char* kNumber = "555-1234";  // any number the modem is not told otherwise of answers

    TempDir dir;
    std::unique_ptr<jxsim::CJxSimulator> sim;
    CKorNetwork link;

    // Starts the controllers and connects the link to them at `baud`.
    void Start(jxsim::CSimOptions options = {}, int32_t timeOutMs = 300, int32_t baud = 19200)
    {
        if (GetParam() == SimTransport::Modem) options.frontEnd = "modem";
        sim = std::make_unique<jxsim::CJxSimulator>(options);
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        link.SetTimeOut(timeOutMs);
        if (GetParam() == SimTransport::Tcp) {
            ASSERT_TRUE(sim->ListenTcp()) << sim->Error();
            const uint8_t loopback[4] = {127, 0, 0, 1};
            ASSERT_EQ(link.ConfigureRemote(loopback, static_cast<int16_t>(sim->TcpPort())), KORNET_OK);
        } else if (GetParam() == SimTransport::Modem) {
            ASSERT_TRUE(sim->OpenPty()) << sim->Error();
            const std::string modems = dir.File("modems.txt");
            WriteWholeFile(modems, "Sim modem | " + sim->PtyPath() + " | " + std::to_string(kLineId) + " | \n");
            setenv("KORNET_MODEMS", modems.c_str(), 1);
            ASSERT_EQ(link.ConfigureDialup(kNumber, kLineId), KORNET_OK);
        } else {
            ASSERT_TRUE(sim->OpenPty()) << sim->Error();
            const std::string map = dir.File("ports");
            ASSERT_TRUE(sim->RegisterComPort(kCom, map)) << sim->Error();
            setenv("KORNET_PORTMAP", map.c_str(), 1);
            ASSERT_EQ(link.ConfigureDirect(kCom, baud, false), KORNET_OK);
        }
        ASSERT_EQ(link.Connect(), KORNET_OK);
        if (GetParam() == SimTransport::Modem) {
            ASSERT_TRUE(jxsim::SimModemState(*sim).online) << "the call is not up";
        }
    }

    void Reconnect(int32_t baud = 19200)
    {
        link.Disconnect();
        if (GetParam() == SimTransport::Pty) {
            ASSERT_EQ(link.ConfigureDirect(kCom, baud, false), KORNET_OK);
        }
        ASSERT_EQ(link.Connect(), KORNET_OK);
    }

    void TearDown() override
    {
        link.Disconnect();
        if (sim) sim->Stop();
    }

    jxsim::Bytes Stored(const std::string& name, uint8_t address = 0) const
    {
        jxsim::Bytes data;
        EXPECT_TRUE(sim->GetFile(name, data, address)) << name;
        return data;
    }
};
