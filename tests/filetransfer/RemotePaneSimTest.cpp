// The remote pane from the documents a simulated controller serves, fetched
// as the File Transfer window fetches them (compressed gets over TCP).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RowPrinter.h"
#include "filetransfer/RemotePane.h"
#include "jxsim/CJxSimulator.h"

#include <KorNet.h>

namespace {

std::string Fetch(CKorNetwork& link, const char* name, int16_t& status)
{
    jx_resp_retrieve_file_s response{};
    const uint8_t* data = link.JxGetFileCompressed(1, name, status, &response, 0);
    if (status != KORNET_OK || data == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(data), response.uncompressedLength);
}

}  // namespace

TEST(RemotePaneSim, ShowsTheControllersFilesAndMemory)
{
    jxsim::CSimOptions options;
    options.samples = false;
    options.memoryBytes = 8000000;
    options.volatileBytes = 2000000;
    options.displayName = "Gate 4";
    jxsim::CJxSimulator sim(options);
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    ASSERT_TRUE(sim.PutFile("MAIN.EXE", jxsim::Bytes(1500000, 1), 1796571626));
    ASSERT_TRUE(sim.PutFile("logo.bmp", jxsim::Bytes(2000, 2), 1));
    ASSERT_TRUE(sim.PutFile("FONTS\\A.FNT", jxsim::Bytes(300, 3), 1781278826));

    CKorNetwork link;
    link.SetTimeOut(300);
    const uint8_t loopback[4] = {127, 0, 0, 1};
    ASSERT_EQ(link.ConfigureRemote(loopback, static_cast<int16_t>(sim.TcpPort())), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    int16_t status = 0;
    const std::string directory = Fetch(link, "DIRECTORY.XML", status);
    ASSERT_EQ(status, KORNET_OK);
    const std::string statusText = Fetch(link, "STATUS.XML", status);
    ASSERT_EQ(status, KORNET_OK);
    link.Disconnect();

    const CRemotePaneUpdate u = ShowDirectoryAndStatus({}, {kJxColumnSize, false}, statusText, directory);
    EXPECT_TRUE(u.ok);
    EXPECT_EQ(u.message, "");
    // the factory CONFIG.XML is a file like any other
    ASSERT_EQ(u.pane.rows.size(), 4u);
    EXPECT_EQ(u.pane.rows[0], (CFileListRow{"MAIN.EXE", "1500000", "12/06/26 15:40:26", 0}));
    EXPECT_EQ(u.pane.rows[1], (CFileListRow{"logo.bmp", "2000", "01/01/70 00:00:01", 1}));
    EXPECT_EQ(u.pane.rows[3], (CFileListRow{"FONTS\\A.FNT", "300", "06/12/26 15:40:26", 3}));
    EXPECT_EQ(u.pane.rows[2].name, "CONFIG.XML");
    EXPECT_EQ(u.pane.displayName, "Gate 4");
    // 1.5 MB of firmware and 2 kB of bitmap, plus the small CONFIG.XML
    EXPECT_EQ(u.pane.memoryLine, "Memory (MB): 1.50 Used / 6.50 Free / 0.00 Frag");
    // the running firmware's 256 kB share of the volatile memory
    EXPECT_EQ(u.pane.volatileMemoryLine, "Volatile Memory (MB): 0.26 Used / 1.74 Free");
}
