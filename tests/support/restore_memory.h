#pragma once

// A controller's memory after a restore or Send all that stopped, checked against the
// report's lists: what is named as written holds the set, what is not holds what it held.

#include "files/file_test_support.h"
#include "files/parameter_file_writer.h"
#include "image/controller_blocks.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace restoretest {

// The blocks of each group, as the report names its groups.
inline std::vector<int32_t> BlocksOf(const std::string& group) {
    if (group == "system")
        return {12, 9};
    if (group == "advanced")
        return {10, 13};
    const int n = std::stoi(group.substr(group.find(' ') + 1));
    if (group.rfind("pid", 0) == 0)
        return {blocks::kPidBlocks[n - 1]};
    return {blocks::PatternA(n), blocks::PatternB(n)};
}

// The bytes of `block` in a 64 KiB memory dump, WDIS left out.
inline std::string Block(const std::string& memory, int32_t block) {
    const uint32_t base = block >= blocks::kFirstPattern
                              ? 0xC000u + 420u * static_cast<uint32_t>(block - 20)
                              : 0x100u * static_cast<uint32_t>(block);
    std::string bytes = memory.substr(base, static_cast<size_t>(blocks::Bytes(block)));
    if (block == blocks::kAdvancedA)
        bytes[16] = 0;
    return bytes;
}

// The groups a report line lists after `label`, "none" being none.
inline std::vector<std::string> Listed(const std::string& out, const std::string& label) {
    std::vector<std::string> groups;
    const size_t at = out.find("\n" + label) + 1;
    if (at == 0)
        return groups;
    std::string list = out.substr(at + label.size(), out.find('\n', at) - at - label.size());
    list = list.substr(list.find_first_not_of(' '));
    for (size_t start = 0; list != "none" && start < list.size();) {
        size_t end = list.find(", ", start);
        // "pattern 4 (blocks 26, 27)": the blocks belong to the group
        const size_t open = list.find(" (", start);
        if (open != std::string::npos && open < end)
            end = list.find(")", open) + 1;
        groups.push_back(list.substr(
            start, list.find(" (", start) < end ? list.find(" (", start) - start : end - start));
        start = end == std::string::npos ? list.size() : end + 2;
    }
    return groups;
}

// The controller's memory after a stopped restore against the report `out`: every group
// named as written holds the file, every group not written holds what it held, and a partly
// written one changed in the blocks it names and nowhere else.
inline void ExpectMemoryAsReported(const std::string& out, const std::string& memory,
                                   const std::string& factory, const std::string& fileMemory,
                                   int run) {
    const auto check = [&](const std::string& label, auto expect) {
        for (const std::string& group : Listed(out, label))
            for (int32_t block : BlocksOf(group))
                expect(group, block);
    };
    check("not written:", [&](const std::string& g, int32_t b) {
        EXPECT_EQ(Block(memory, b), Block(factory, b)) << "run " << run << " " << g;
    });
    check("written:", [&](const std::string& g, int32_t b) {
        EXPECT_EQ(Block(memory, b), Block(fileMemory, b)) << "run " << run << " " << g;
    });
    if (out.find("\nwritten:") == std::string::npos) { // every group went in
        for (const char* g : {"system", "advanced", "pid 1", "pattern 9"})
            for (int32_t b : BlocksOf(g)) {
                EXPECT_EQ(Block(memory, b), Block(fileMemory, b)) << "run " << run << g;
            }
    }
    const std::vector<std::string> partly = Listed(out, "partly written:");
    for (const std::string& group : partly) {
        // "pattern 6 (block 30, perhaps block 31)": a write that got no answer may or
        // may not have landed.
        std::string line = out.substr(out.find(group + " (", out.find("\npartly written:")));
        line = line.substr(0, line.find(')'));
        const std::string sure = line.substr(0, line.find("perhaps"));
        for (int32_t block : BlocksOf(group)) {
            const std::string number = std::to_string(block);
            if (sure.find(number) == std::string::npos && line.find(number) != std::string::npos)
                continue; // perhaps
            EXPECT_EQ(Block(memory, block) != Block(factory, block),
                      sure.find(number) != std::string::npos)
                << "run " << run << " " << group << " block " << block << "\n"
                << out;
        }
    }
}

// A busy parameter file, the controller memory it makes and a fresh controller's memory.
struct RestoreSetting {
    RestoreSetting() {
        ParameterImage image = filetest::BusyImage(9);
        image.advanced.WDIS = 0;
        image.systemSetup.STN = 1;
        filetest::Spit(folder.File("set.slk"), BuildParameterFileText(image));
        {
            SimProcess loaded({"--pty", folder.File("l.pty"), "--load", folder.File("set.slk"),
                               "--dump", folder.File("file.bin")});
        }
        fileMemory = filetest::Slurp(folder.File("file.bin"));
        { SimProcess fresh({"--pty", folder.File("f.pty"), "--dump", folder.File("f.bin")}); }
        factory = filetest::Slurp(folder.File("f.bin"));
    }
    // The memory of `sim` once it is stopped.
    static std::string MemoryOf(SimProcess& sim, const std::string& dump) {
        sim.Stop();
        return filetest::Slurp(dump);
    }
    filetest::TempFolder folder;
    std::string fileMemory, factory;
};

} // namespace restoretest
