// The QApplication every gui test runs in, and the shared helpers.
#include <QStandardPaths>
#include <filesystem>

#include "GuiTest.h"

namespace {
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        // Never the real home folder of whoever runs the tests.
        QStandardPaths::setTestModeEnabled(true);
        static int argc = 1;
        static char name[] = "gui_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const g_qt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace

void GuiTest::ShortLinkWaits()
{
    // The data folder is made by the first use; the policies file goes in it.
    std::string data = dir.File("data");
    std::filesystem::create_directories(data);
    WriteWholeFile(data + "/KorConfig.xml",
                   "<KORCONFIG><NETWORK_TIMEOUTS ip=\"300\" direct=\"150\" dialup=\"300\"/>"
                   "<NETWORK_RETRIES ip=\"0\" direct=\"0\" dialup=\"0\"/></KORCONFIG>");
}
