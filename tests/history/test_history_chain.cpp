// The history's chain: its hash, and one timeline per controller whatever its port is called.
#include "files/file_test_support.h"
#include "history/history_location.h"
#include "history/sha256.h"
#include "history/sqlite_history.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

using filetest::BusyImage;
using filetest::TempFolder;

namespace {

TEST(Sha256, KnownAnswers) {
    EXPECT_EQ(HexOf(Sha256().Add(std::string("abc")).Finish()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(
        HexOf(Sha256()
                  .Add(std::string("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"))
                  .Finish()),
        "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"); // two blocks
    EXPECT_EQ(HexOf(Sha256().Finish()),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

// A controller reached first by its device's own name and then by the by-id link to the
// same device (a pseudo-terminal here) keeps one entry, and its label.
TEST(Chain, AControllerKeepsOneEntryWhicheverNameItsPortIsReachedBy) {
    TempFolder folder;
    const int pty = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(pty, 0);
    ASSERT_EQ(grantpt(pty), 0);
    ASSERT_EQ(unlockpt(pty), 0);
    const std::string device = ptsname(pty);
    const std::string byId = folder.File("by-id");
    std::filesystem::create_directory(byId);
    const std::string link = byId + "/usb-Adapter_RS485_A1B2C3-if00-port0";
    std::filesystem::create_symlink(device, link);
    setenv("TQX_SERIAL_BY_ID", byId.c_str(), 1);

    SqliteHistory store;
    ASSERT_EQ(store.Open(folder.File("history.sqlite"), SqliteHistory::Access::Record), "");
    NewSnapshot s;
    s.controller = {device, 1, "PXT4TEY1T-00121"};
    s.set = BusyImage(1);
    ASSERT_EQ(store.Record(s), "");
    std::vector<ControllerEntry> controllers;
    ASSERT_EQ(store.Controllers(controllers), "");
    ASSERT_EQ(controllers.size(), 1u);
    ASSERT_EQ(store.SetLabel(controllers[0].id, "Furnace 3"), "");
    s.controller.port = link;
    ASSERT_EQ(store.Record(s), "");
    s.controller.port = "tcp:10.0.4.17:502";
    ASSERT_EQ(store.Record(s), "");
    ASSERT_EQ(store.Controllers(controllers), "");
    unsetenv("TQX_SERIAL_BY_ID");
    close(pty);

    ASSERT_EQ(controllers.size(), 2u) << "the gateway is another way to another controller";
    const ControllerEntry& serial = controllers[1];
    EXPECT_EQ(serial.label, "Furnace 3");
    EXPECT_EQ(serial.snapshots, 2);
    EXPECT_EQ(serial.portKey, link);
    EXPECT_EQ(serial.identity.port, link) << "the port as last used";
}

} // namespace
