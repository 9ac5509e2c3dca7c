// A serial port that will not open says why through GetLastPortError, while
// Connect keeps returning ERR_NETWORK_CONNECT_FAILED. The suite runs as root,
// whom no device refuses, so the permission rows put a failing open in the
// port; the device's owner, group and mode are real (stat of a real file).
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CKorNetAccess.h"
#include "PtyPeer.h"
#include "ports/CKorNetSerialPort.h"

namespace {
int RefusePermission(const char*, int)
{
    errno = EACCES;
    return -1;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Row {
    const char* name;
    // Prepares the device COM 9 names (or not) and returns the port map line.
    std::function<std::string(const TempDir&)> device;
    CKorNetSerialPort::OpenFunction open;  // null: the real ::open
    std::vector<std::string> said;         // parts of GetLastPortError, in any order
};

std::string DeviceFile(const TempDir& dir, mode_t mode, gid_t group)
{
    const std::string path = dir.File("ttyTEST0");
    WriteWholeFile(path, "");
    EXPECT_EQ(chmod(path.c_str(), mode), 0);
    EXPECT_EQ(chown(path.c_str(), 0, group), 0);
    return path;
}

gid_t GroupId(const char* name)
{
    const group* g = getgrnam(name);
    return g != nullptr ? g->gr_gid : 0;
}

TEST(SerialPortError, EachFailedOpenSaysWhyAndKeepsTheStatus)
{
    // Debian gives serial devices to dialout; any group with a name will do.
    const char* groupName = getgrnam("dialout") != nullptr ? "dialout" : "root";
    const gid_t gid = GroupId(groupName);
    const std::string g(groupName);
    const std::vector<Row> rows = {
        {"no permission, the group may use it",
         [&](const TempDir& d) { return DeviceFile(d, 0660, gid); },
         RefusePermission,
         {"Permission denied: ", " (COM9) cannot be opened by this user.", "belongs to group '" + g + "'",
          "sudo usermod -aG " + g + " $USER", "log out and back in"}},
        {"no permission, only the owner may use it",
         [&](const TempDir& d) { return DeviceFile(d, 0600, gid); },
         RefusePermission,
         {"Permission denied: ", "Only its owner 'root' may use the device", "udev rule"}},
        {"no permission, a pseudo-terminal's group may only write",
         [&](const TempDir& d) { return DeviceFile(d, 0620, GroupId("tty")); },
         RefusePermission,
         {"Only its owner 'root'"}},
        {"not a serial device", [&](const TempDir& d) { return DeviceFile(d, 0660, gid); }, nullptr,
         {"ttyTEST0 (COM9) is not a serial device."}},
        {"unplugged", [](const TempDir& d) { return d.File("ttyUSB7"); }, nullptr,
         {"ttyUSB7 (COM9) is not present: is the adapter plugged in?"}},
        {"no such port", [](const TempDir&) { return std::string(); }, nullptr,
         {"COM9 is not a known port", "a line COM9=/dev/ttyUSB0 in "}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string device = row.device(dir);
        const std::string map = dir.File("ports");
        WriteWholeFile(map, device.empty() ? "# nothing\n" : "COM9=" + device + "\n");
        setenv("KORNET_PORTMAP", map.c_str(), 1);

        CKorNetwork link;
        ASSERT_EQ(link.ConfigureDirect(9, 19200, false), KORNET_OK);
        if (row.open != nullptr)
            static_cast<CKorNetSerialPort&>(*CKorNetAccess::Link(link).port).SetOpenFunction(row.open);
        EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
        const std::string said = link.GetLastPortError();
        for (const std::string& part : row.said) EXPECT_TRUE(Contains(said, part)) << said << "\nlacks: " << part;
        if (device.empty() || row.open != nullptr) continue;
        // A failed open leaves nothing held: another program may lock the device.
        const int fd = open(device.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;  // the unplugged row
        EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
        close(fd);
    }
    unsetenv("KORNET_PORTMAP");
}

TEST(SerialPortError, APortAnotherProgramHoldsIsInUseUntilItLetsGo)
{
    TempDir dir;
    PtyPeer peer(dir, 9);
    const int holder = open(peer.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);

    CKorNetwork link;
    ASSERT_EQ(link.ConfigureDirect(9, 19200, false), KORNET_OK);
    EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(std::string(link.GetLastPortError()),
              peer.SlavePath() + " (COM9) is in use by another program: close that program and try again.");

    close(holder);
    EXPECT_EQ(link.Connect(), KORNET_OK);
    EXPECT_STREQ(link.GetLastPortError(), "");
    EXPECT_EQ(link.Disconnect(), KORNET_OK);
}

TEST(SerialPortError, OtherTransportsHaveNoPortReason)
{
    CKorNetwork link;
    EXPECT_STREQ(link.GetLastPortError(), "");
    const uint8_t loopback[4] = {127, 0, 0, 1};
    ASSERT_EQ(link.ConfigureRemote(loopback, 1), KORNET_OK);
    link.SetTimeOut(500);
    EXPECT_NE(link.Connect(), KORNET_OK);
    EXPECT_STREQ(link.GetLastPortError(), "");
}
}  // namespace
