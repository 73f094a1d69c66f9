// tqxctl backup, backup --all and report write only over regular files or to new names,
// as the effective user may, and a replaced file keeps its owner.

#include "files/file_test_support.h"
#include "support/sim_process.h"
#include "support/tqxctl_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>
#include <vector>

namespace {

using filetest::Slurp;
using filetest::Spit;
using filetest::TempFolder;
namespace fs = std::filesystem;

// What identifies a node: its inode, kind and rights, device number and size.
std::tuple<ino_t, mode_t, dev_t, off_t> Node(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return {info.st_ino, info.st_mode, info.st_rdev, info.st_size};
}

size_t Entries(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(TqxctlTargets, WhatIsNoRegularFileIsRefusedAndKept) {
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    const std::string port = "--port " + sim.PortSetting() + " ";
    const bool root = geteuid() == 0;
    TempFolder folder;
    const std::string fifo = folder.File("fifo.slk"), device = folder.File("device.slk"),
                      dangling = folder.File("link.slk"), taken = folder.File("taken");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    fs::create_symlink("nowhere/missing.slk", dangling);
    fs::create_directory(taken);
    std::vector<std::pair<std::string, std::string>> cases = {
        {fifo, "it is a FIFO, not a regular file"},
        {dangling, "it is a symbolic link to nothing"},
        {taken, "it is a folder"},
    };
    if (root) {
        ASSERT_EQ(mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        cases.push_back({device, "it is a device, not a regular file"});
    }
    for (const auto& [path, reason] : cases)
        for (const std::string command : {"backup ", "report controller "}) {
            const auto before = Node(path);
            const TqxctlResult r = Tqxctl(port + command + path);
            EXPECT_EQ(r.status, 2) << command << path << "\n" << r.out;
            EXPECT_NE(r.out.find(path), std::string::npos) << r.out;
            EXPECT_NE(r.out.find(reason), std::string::npos) << r.out;
            EXPECT_EQ(Node(path), before) << path;
        }
    EXPECT_EQ(Entries(folder.Path()), cases.size());

    // backup --all: a controller's file name taken by a FIFO fails that backup alone.
    TempFolder all;
    const std::string scan = port + "backup --all " + all.Path().string() + " --units 1-1";
    ASSERT_EQ(Tqxctl(scan).status, 0);
    const fs::path name = fs::directory_iterator(all.Path())->path();
    fs::remove(name);
    ASSERT_EQ(mkfifo(name.c_str(), 0666), 0);
    const TqxctlResult r = Tqxctl(scan);
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("it is a FIFO, not a regular file"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::is_fifo(name));
    if (!root)
        GTEST_SKIP() << "the device node needs root (mknod)";
}

// As nobody, in a folder nobody may write in, a file of root's that only root may write is
// refused and kept; root replacing nobody's file leaves it nobody's, with its mode.
TEST(TqxctlTargets, AnotherUsersFile) {
    if (geteuid() != 0)
        GTEST_SKIP() << "acting as nobody and owning files for another user need root";
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    const std::string port = "--port " + sim.PortSetting() + " ";
    TempFolder folder;
    ASSERT_EQ(chown(folder.Path().c_str(), 0, 65534), 0);
    ASSERT_EQ(chmod(folder.Path().c_str(), 0775), 0);
    const std::string roots = folder.File("root.slk");
    Spit(roots, "root's own");
    ASSERT_EQ(chmod(roots.c_str(), 0644), 0);
    const std::string asNobody = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    for (const std::string command : {"backup ", "report controller "}) {
        const TqxctlResult r = Tqxctl(port + command + roots, asNobody);
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_NE(r.out.find("no permission to write it"), std::string::npos) << r.out;
        EXPECT_EQ(Slurp(roots), "root's own");
    }
    EXPECT_EQ(Entries(folder.Path()), 1u);

    const std::string nobodys = folder.File("nobody.slk");
    Spit(nobodys, "nobody's own");
    ASSERT_EQ(chown(nobodys.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(nobodys.c_str(), 0604), 0);
    const TqxctlResult r = Tqxctl(port + "backup " + nobodys);
    ASSERT_EQ(r.status, 0) << r.out;
    struct stat info {};
    ASSERT_EQ(stat(nobodys.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(Slurp(nobodys).rfind("ID;PWXL;N;E\r\n", 0), 0u);
}

// A full disk and a read-only file system are told apart, on a small file system of the
// test's own (a mount namespace; skipped where the test may not make one).
TEST(TqxctlTargets, FullAndReadOnlyFileSystemsAreNamed) {
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    TempFolder folder;
    const std::string dir = folder.Path().string();
    const std::string backup =
        std::string(TQXCTL_PATH) + " --port " + sim.PortSetting() + " backup ";
    const std::string script = "mount -t tmpfs -o size=64k tmpfs " + dir + " && " + backup + dir +
                               "/full.slk; ls " + dir + "; mount -o remount,ro " + dir + " && " +
                               backup + dir + "/ro.slk";
    const TqxctlResult probe = RunShell("unshare -m mount -t tmpfs tmpfs " + dir);
    if (probe.status != 0)
        GTEST_SKIP() << "no mount namespace here: " << probe.out;
    const TqxctlResult r = RunShell("unshare -m sh -c '" + script + "'");
    EXPECT_NE(r.out.find("full.slk could not be written (the disk is full)"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("ro.slk could not be written (the file system is read-only)"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find(".tqx-new"), std::string::npos) << r.out; // nothing left behind
}

} // namespace
