// The configuration exchange against jxsim over loopback TCP: fetch, the
// function's changes, send, wait, reset; the local copies byte for byte, the
// status texts, the messages, and what the controller holds and did after.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <KorNet.h>

#include "Documents.h"
#include "MessageRecorder.h"
#include "TempDir.h"
#include "config/CClockModePresenter.h"
#include "config/CConfigDocument.h"
#include "config/CSoftwareAddressPresenter.h"
#include "connection/LinkOperation.h"
#include "StoredConfig.h"
#include "jxsim/CJxSimulator.h"
#include "shell/CConfigExchange.h"
#include "shell/CJxConfigApp.h"
#include "shell/CSettingsStore.h"

namespace {

using Texts = std::vector<std::string>;

class CRecordingView : public IProgressView {
public:
    Texts texts;
    int disables = 0, enables = 0;
    void SetStatusText(const std::string& t) override { texts.push_back(t); }
    void SetProgress(int, int) override {}
    void SetRange(int) override {}
    void StepProgress() override {}
    void DisableAbort() override { ++disables; }
    void EnableAbort() override { ++enables; }
};

const std::string kSuccess =
    "CONFIG.XML successfully sent.  The display is rebooting.\nWait until the boot sequence is complete before "
    "reconnecting.";

class ExchangeSim : public ::testing::Test {
protected:
    TempDir data;
    CMemorySettingsStore user, machine;
    CJxConfigApp app{user, machine};
    CLinkOwner owner;
    CRecordingView view;
    CMessageRecorder messages;
    CConfigDocument document;
    std::unique_ptr<jxsim::CJxSimulator> sim;
    std::unique_ptr<CConfigExchange> exchange;
    std::vector<int> waits;
    std::function<void()> duringWait;
    int windows = 0;
    int bootMs = 500;  // a display takes a while to come back after its reset

    void SetUp() override { Start({}); }
    void Start(jxsim::CSimOptions options)
    {
        options.bootMs = bootMs;
        sim = std::make_unique<jxsim::CJxSimulator>(options);
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        ASSERT_TRUE(sim->ListenTcp()) << sim->Error();
        app.folders.data = data.Path() + "/";
        owner.SetProgressView(&view);
        owner.Link().SetTimeOut(300);
        owner.Link().SetMaxNumberOfRetries(1);
        const uint16_t port = sim->TcpPort();
        ASSERT_TRUE(owner.ConnectToDisplay([port](CKorNetwork& l) {
            const uint8_t loopback[4] = {127, 0, 0, 1};
            return l.ConfigureRemote(loopback, static_cast<int16_t>(port)) == KORNET_OK;
        }));
        exchange = std::make_unique<CConfigExchange>(owner, document, app);
        exchange->SetDisplay(options.addresses.front(), JxConnectionKind::TcpIp);
        exchange->SetWaitFunction([this](int ms) {
            waits.push_back(ms);
            if (duringWait) duringWait();
        });
        view.texts.clear();
    }
    void TearDown() override
    {
        owner.Link().Disconnect();
        if (sim) sim->Stop();
    }

    // One whole run with `change` as the function's window.
    JxExchangeOutcome Run(const JxFunctionWindow& change)
    {
        return JxRunConfigExchange(*exchange, app, [](const std::function<bool()>& work) { return work(); },
                                   [&](CConfigDocument& doc, CConnectionSettingUpdate& update) {
                                       ++windows;
                                       return change(doc, update);
                                   });
    }
    std::string Stored() { return StoredConfig(*sim); }
    std::string StoredAttribute(const std::string& element, const std::string& name)
    {
        return StoredConfigAttribute(*sim, element, name);
    }
    int Resets()
    {
        int n = 0;
        for (const auto& c : sim->Commands()) n += c.name == "JxResetDisplay";
        return n;
    }
};

TEST_F(ExchangeSim, SetClockModeEndToEnd)
{
    const std::string factory = Stored();
    const JxExchangeOutcome outcome = Run([](CConfigDocument& doc, CConnectionSettingUpdate& update) {
        CClockModePresenter p;
        EXPECT_EQ(p.Open(doc).selection, 0);
        p.Select(4);  // "GPS"
        const CFunctionApply r = p.Apply(doc);
        update = r.update;
        return r.accepted;
    });
    EXPECT_EQ(outcome, JxExchangeOutcome::Sent);
    EXPECT_EQ(StoredAttribute("TIME", "clk"), "4");
    EXPECT_EQ(StoredAttribute("TIME", "zn"), "-300");  // the rest of the document as it was
    EXPECT_EQ(sim->ResetCount(), 1);
    EXPECT_EQ(Resets(), 1);
    EXPECT_EQ(sim->Display().lastResetA, 1);  // the tool's reset option
    EXPECT_EQ(sim->Display().lastResetB, 0);
    EXPECT_EQ(messages.Messages(), Texts{kSuccess});
    EXPECT_EQ(waits, std::vector<int>{1000});
    EXPECT_EQ(view.texts, (Texts{"Getting CONFIG.XML from display...", "Sending CONFIG.XML to display...",
                                 "Waiting (1 sec) to reset the display...", "Resetting display..."}));
    EXPECT_EQ(view.disables, 1);
    EXPECT_EQ(view.enables, 1);

    // the local copies: exactly what came and what went
    EXPECT_EQ(ReadWholeFile(data.File("CONFIGreceived.XML")), factory);
    EXPECT_EQ(ReadWholeFile(data.File("CONFIGsent.XML")), Stored());
    EXPECT_NE(factory, Stored());
}

TEST_F(ExchangeSim, AResetThatGetsNoAnswerStillCountsAsSent)
{
    duringWait = [this] { sim->DropReplies(1); };  // the reset runs, its answer is lost, then it boots
    ASSERT_TRUE(exchange->Fetch());
    EXPECT_TRUE(exchange->SendAndReset());
    EXPECT_EQ(sim->ResetCount(), 1);
    EXPECT_EQ(messages.Messages(), Texts{kSuccess});
    EXPECT_EQ(view.enables, 1);
}

TEST_F(ExchangeSim, AFailedResetIsReportedEvenAfterAbort)
{
    ASSERT_TRUE(exchange->Fetch());
    owner.OnAbortRequest();
    owner.Link().Disconnect();
    EXPECT_FALSE(exchange->Reset());
    EXPECT_EQ(messages.Messages(), Texts{"Unable to reset display: No Connection Made"});
}

TEST_F(ExchangeSim, LegacyIpPortsAndLatin1TextsGoBackAsTheControllerExpects)
{
    // ds holds "Café" in UTF-8; the old IP entries are not accepted any more
    const std::string doc =
        "<?xml version=\"1.0\"?>\n<CFG ds=\"Caf\xC3\xA9 entrance\">\n  <ADDR sw=\"0\"/>\n"
        "  <PORT type=\"IP\" protocol=\"kor\" num=\"3001\"/>\n  <PORT type=\"TCPIP\" protocol=\"Kor\" num=\"3001\"/>\n"
        "  <PORT type=\"ip\" protocol=\"HTCH\" num=\"3003\"/>\n  <PORT type=\"IP\" protocol=\"RTD\" num=\"3002\"/>\n"
        "</CFG>\n";
    ASSERT_TRUE(sim->PutFile("CONFIG.XML", jxsim::Bytes(doc.begin(), doc.end())));
    ASSERT_TRUE(exchange->Fetch());
    EXPECT_EQ(ReadWholeFile(data.File("CONFIGreceived.XML")), doc);  // bare LF, as the display sent it
    ASSERT_TRUE(exchange->SendAndReset());
    const std::string expected =
        "<?xml version=\"1.0\"?>\r\n<CFG ds=\"Caf\xC3\xA9 entrance\">\r\n  <ADDR sw=\"0\"/>\r\n"
        "  <PORT type=\"TCPIP\" protocol=\"Kor\" num=\"3001\"/>\r\n"
        "  <PORT type=\"IP\" protocol=\"RTD\" num=\"3002\"/>\r\n</CFG>\r\n";
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(ReadWholeFile(data.File("CONFIGsent.XML")), expected);
}

TEST_F(ExchangeSim, UnreadableDocumentsOpenNoWindow)
{
    struct Row {
        const char* name;
        std::string content;
    } rows[] = {
        {"unbalanced", "<CFG><ADDR sw=\"0\"></CFG>"},
        {"cut off", "<?xml version=\"1.0\"?>\r\n<CFG type=\"16X48"},
        {"empty", ""},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(sim->PutFile("CONFIG.XML", jxsim::Bytes(row.content.begin(), row.content.end())));
        CMessageRecorder rowMessages;
        windows = 0;
        const JxExchangeOutcome outcome = Run([](CConfigDocument&, CConnectionSettingUpdate&) { return true; });
        EXPECT_EQ(outcome, JxExchangeOutcome::NotFetched) << row.name;
        EXPECT_EQ(windows, 0) << row.name;
        EXPECT_EQ(rowMessages.Messages(), Texts{"Unable to read CONFIG.XML file stream"}) << row.name;
        EXPECT_FALSE(document.IsLoaded()) << row.name;
    }
    EXPECT_EQ(sim->ResetCount(), 0);
    EXPECT_EQ(ReadWholeFile(data.File("CONFIGreceived.XML")), "") << "only documents that load are kept";
    // and nothing is ever sent from an unloaded model
    EXPECT_FALSE(exchange->SendAndReset());
    EXPECT_EQ(Stored(), "");
}

TEST_F(ExchangeSim, FetchFailuresNameTheCause)
{
    ASSERT_TRUE(sim->RemoveFile("CONFIG.XML"));
    EXPECT_EQ(Run([](CConfigDocument&, CConnectionSettingUpdate&) { return true; }), JxExchangeOutcome::NotFetched);
    EXPECT_EQ(windows, 0);
    EXPECT_EQ(messages.Messages(), Texts{"Unable to get CONFIG.XML: Can't Find the File(s)"});

    CMessageRecorder refused;
    sim->FailFile("CONFIG.XML", 14);
    EXPECT_FALSE(exchange->Fetch());
    EXPECT_EQ(refused.Messages(), Texts{"Unable to get CONFIG.XML: Password Mismatch"});
}

TEST_F(ExchangeSim, ARefusedSendSkipsWaitResetAndSetting)
{
    app.saved.networkAddress = "1";
    const JxExchangeOutcome outcome = Run([this](CConfigDocument& doc, CConnectionSettingUpdate& update) {
        CSoftwareAddressPresenter p;
        p.Open(doc);
        const CFunctionApply r = p.Apply({true, "33"}, doc);
        update = r.update;
        sim->FailFile("CONFIG.XML", 14);  // the display refuses the document
        return r.accepted;
    });
    EXPECT_EQ(outcome, JxExchangeOutcome::SendFailed);
    EXPECT_EQ(messages.Messages(), Texts{"Unable to send CONFIG.XML: Password Mismatch"});
    EXPECT_TRUE(waits.empty());
    EXPECT_EQ(sim->ResetCount(), 0);
    EXPECT_EQ(view.disables, 0);
    EXPECT_EQ(app.saved.networkAddress, "1") << "the display still answers at its old address";
    EXPECT_EQ(StoredAttribute("ADDR", "sw"), "0");
    EXPECT_EQ(ReadWholeFile(data.File("CONFIGsent.XML")), "");
}

class ExchangeSimAddress : public ExchangeSim {
protected:
    void SetUp() override
    {
        jxsim::CSimOptions options;
        options.addresses = {9};
        Start(options);
    }
};

TEST_F(ExchangeSimAddress, TalksToTheChosenAddress)
{
    ASSERT_TRUE(exchange->Fetch());
    ASSERT_TRUE(exchange->SendAndReset());
    EXPECT_EQ(sim->ResetCount(9), 1);
    for (const auto& c : sim->Commands()) {
        EXPECT_EQ(c.address, 9) << c.name;
    }
}

class ExchangeSimQuickBoot : public ExchangeSim {
protected:
    void SetUp() override
    {
        bootMs = 0;  // answers again at once, so one display serves every row
        Start({});
    }
};

TEST_F(ExchangeSimQuickBoot, TheWaitBeforeTheResetDependsOnTheConnection)
{
    struct Row {
        JxConnectionKind kind;
        int ms;
        const char* text;
    } rows[] = {
        {JxConnectionKind::Dialup, 6000, "Waiting (6 sec) to reset the display..."},
        {JxConnectionKind::Direct, 1000, "Waiting (1 sec) to reset the display..."},
        {JxConnectionKind::TcpIp, 1000, "Waiting (1 sec) to reset the display..."},
    };
    ASSERT_TRUE(exchange->Fetch());
    for (const Row& row : rows) {
        exchange->SetDisplay(1, row.kind);
        waits.clear();
        view.texts.clear();
        ASSERT_TRUE(exchange->SendAndReset()) << JxConnectionName(row.kind);
        EXPECT_EQ(waits, std::vector<int>{row.ms}) << JxConnectionName(row.kind);
        ASSERT_EQ(view.texts.size(), 3u);
        EXPECT_EQ(view.texts[1], row.text);
    }
    EXPECT_EQ(sim->ResetCount(), 3);
}

}  // namespace
