// tqx-sim --load and --dump: a simulator started from a parameter file serves exactly
// that file's groups, and its memory can be taken without touching the line.

#include "files/file_test_support.h"
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"
#include "link/link_backend.h"
#include "link/tqxcomm.h"
#include "simulator/controller_memory.h"
#include "simulator/simulated_controller.h"
#include "support/sim_process.h"
#include "transfers/connect_procedure.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using filetest::BusyImage;
using filetest::Slurp;
using filetest::Spit;
using filetest::TempFolder;

ParameterImage ReadBack(const SimProcess& sim) {
    setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);
    TQXOpenSerialPort(1);
    TransferContext link;
    ParameterImage image;
    SetStartValues(image);
    EXPECT_TRUE(ReadWholeController(link, image).failed.empty());
    TQXCloseSerialPort();
    return image;
}

TEST(SimLoad, ServesTheFileGroupsAndKeepsItsWriteProtection) {
    for (uint8_t wdis : {0, 1}) {
        TempFolder folder;
        ParameterImage file = BusyImage();
        file.advanced.WDIS = wdis;
        Spit(folder.File("set.slk"), BuildParameterFileText(file));
        const std::string dump = folder.File("memory.bin");
        SimProcess sim({"--tcp", "127.0.0.1:0", "--load", folder.File("set.slk"), "--dump", dump});
        ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();

        // What a restore of the file onto a factory controller gives: the controller's
        // image with the file's fields over it.
        SimulatedController factory;
        factory.Memory().LoadFactoryContents();
        ParameterImage expected;
        SetStartValues(expected);
        {
            TransferContext link(factory);
            ASSERT_TRUE(ReadWholeController(link, expected).failed.empty());
        }
        const ParameterImage factoryImage = expected;
        RecordingMessages messages;
        ASSERT_TRUE(ReadParameterFileText(BuildParameterFileText(file), expected, messages));

        const ParameterImage served = ReadBack(sim);
        EXPECT_EQ(served.systemSetup, expected.systemSetup) << "WDIS " << int(wdis);
        EXPECT_EQ(served.advanced, expected.advanced) << "WDIS " << int(wdis);
        EXPECT_EQ(served.pid, expected.pid) << "WDIS " << int(wdis);
        EXPECT_EQ(served.pattern, expected.pattern) << "WDIS " << int(wdis);
        EXPECT_NE(served.pid, factoryImage.pid); // the file did arrive

        ::kill(sim.Pid(), SIGUSR1);
        for (int i = 0; i < 300 && !std::filesystem::exists(dump); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const std::string memory = Slurp(dump);
        ASSERT_EQ(memory.size(), 0x10000u);
        EXPECT_EQ(static_cast<uint8_t>(memory[ControllerMemory::kWdisAddress]), wdis);
        // The model code is the controller's own, not the file's.
        EXPECT_EQ(memory.substr(0x2800, 14),
                  std::string(reinterpret_cast<const char*>(factory.Memory().Data()) + 0x2800, 14));
    }
}

TEST(SimLoad, RefusesAFileItCannotRead) {
    TempFolder folder;
    Spit(folder.File("bad.slk"), "ID;PWXL\r\nC;Y1;X1;K\"nonsense\"\r\nE\r\n");
    const std::string sim = TQX_SIM_PATH;
    for (const std::string& file : {folder.File("bad.slk"), folder.File("missing.slk")}) {
        const std::string command = sim + " --tcp 127.0.0.1:0 --load " + file + " > /dev/null 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << file;
        EXPECT_EQ(WEXITSTATUS(status), 2) << file;
    }
}

} // namespace
