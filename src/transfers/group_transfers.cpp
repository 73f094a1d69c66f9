#include "transfers/group_transfers.h"

#include "link/block_map.h"
#include "link/link_failure.h"
#include "link/port1.h"
#include "link/tqxcomm.h"
#include "transfers/group_layouts.h"
#include "transfers/transfer_notes.h"

#include <array>

namespace {

constexpr size_t kStationByte = 30; // STN, in block 12
constexpr int kMaxStation = 31;

std::string BlockText(const char* what, int block) {
    return std::string(what) + " block " + std::to_string(block);
}

template <class Block> bool ReadBlock(int block, Block& data, int32_t offset = 0) {
    int32_t status = 0;
    return TQXRead(TQX_MODE_READ_BYTES, block, offset, static_cast<int32_t>(data.size()),
                   data.data(), &status) != 0;
}

template <class Block> bool WriteBlock(int block, const Block& data, int32_t offset = 0) {
    int32_t status = 0;
    return TQXWrite(TQX_MODE_WRITE_BYTES, block, offset, static_cast<int32_t>(data.size()),
                    data.data(), &status) != 0;
}

// After a write that went through: reads the block back when verify is on. Adds what went
// wrong to `failed` and returns the outcome of this block.
template <class Block>
SendOutcome CheckWritten(int block, const Block& written, std::vector<std::string>& failed) {
    if (!VerifyAfterSend())
        return SendOutcome::Sent;
    Block back{};
    if (!ReadBlock(block, back)) {
        failed.push_back(ReadBackFailed(block));
        return SendOutcome::Sent;
    }
    if (back != written) {
        failed.push_back(ReadBackDiffers(block));
        return SendOutcome::Differs;
    }
    return SendOutcome::Verified;
}

// The outcome of a group of blocks: the worst of its blocks.
SendOutcome Worse(SendOutcome a, SendOutcome b) {
    auto rank = [](SendOutcome o) {
        switch (o) {
        case SendOutcome::Failed:
            return 3;
        case SendOutcome::Differs:
            return 2;
        case SendOutcome::Sent:
            return 1;
        case SendOutcome::Verified:
            return 0;
        }
        return 3;
    };
    return rank(a) >= rank(b) ? a : b;
}

} // namespace

std::vector<std::string> RetrieveSystemSetupBlocks(SystemSetupRecord& setup) {
    BeginLinkCommand();
    std::vector<std::string> failed;
    Block12 b12{};
    Block9 b9{};
    SystemSetupIntoBlocks(setup, b12, b9); // a block that fails keeps the record's fields
    Block12 read12{};
    Block9 read9{};
    if (ReadBlock(12, read12))
        b12 = read12;
    else
        failed.push_back(BlockText("read", 12));
    if (ReadBlock(9, read9))
        b9 = read9;
    else
        failed.push_back(BlockText("read", 9));
    SystemSetupFromBlocks(b12, b9, setup);
    NoteRetrieved(kSystemSetupGroup, failed.empty());
    return failed;
}

std::vector<std::string> WriteSystemSetupOnto(const SystemSetupRecord& setup, Block12 b12,
                                              Block9 b9) {
    std::vector<std::string> failed;
    SystemSetupIntoBlocks(setup, b12, b9);
    if (!WriteBlock(12, b12))
        failed.push_back(BlockText("write", 12));
    if (!WriteBlock(9, b9))
        failed.push_back(BlockText("write", 9));
    return failed;
}

std::vector<std::string> SendSystemSetupBlocks(const SystemSetupRecord& setup,
                                               StationChange* change) {
    BeginLinkCommand();
    std::vector<std::string> failed;
    Block12 b12{};
    Block9 b9{};
    const bool ok12 = ReadBlock(12, b12);
    const bool ok9 = ReadBlock(9, b9);
    const int oldStation = b12[kStationByte];
    SystemSetupIntoBlocks(setup, b12, b9);
    // A new station takes effect as block 12 lands: block 9 goes first then, while the
    // controller still answers where port 1 asks.
    // A controller that answered holds a station of 1..31; any other byte there is not
    // where it answers.
    const bool moves =
        ok12 && b12[kStationByte] != oldStation && oldStation >= 1 && oldStation <= kMaxStation;
    bool wrote12 = false;
    const auto send12 = [&] {
        if (!ok12)
            failed.push_back(BlockText("read", 12));
        else if (!WriteBlock(12, b12))
            failed.push_back(BlockText("write", 12));
        else
            wrote12 = true;
    };
    const auto send9 = [&] {
        if (!ok9)
            failed.push_back(BlockText("read", 9));
        else if (!WriteBlock(9, b9))
            failed.push_back(BlockText("write", 9));
    };
    if (moves) {
        send9();
        send12();
    } else {
        send12();
        send9();
    }
    StationChange moved;
    if (moves && wrote12) {
        moved.changed = true;
        moved.from = oldStation;
        moved.to = b12[kStationByte];
        if (moved.to != 0 && Port1Unit() == moved.from) {
            MovePort1Unit(moved.to);
            moved.followed = true;
        }
    }
    moved.portUnit = Port1Unit();
    if (change)
        *change = moved;
    SendOutcome outcome = SendOutcome::Failed;
    if (failed.empty()) {
        // A controller that moved to a station port 1 did not follow is out of reach for
        // the read-back: what was written stays unverified.
        if (moved.changed && !moved.followed)
            outcome = SendOutcome::Sent;
        else
            outcome = Worse(CheckWritten(12, b12, failed), CheckWritten(9, b9, failed));
    }
    NoteSent(kSystemSetupGroup, outcome);
    return failed;
}

std::string StationChangeMessage(const StationChange& c) {
    const std::string unit = std::to_string(c.portUnit);
    if (c.to == 0)
        return "STN 0 is the broadcast address, which no controller answers: the controller is "
               "out of reach over the link until its station is set again on its front panel. "
               "Port 1 still asks unit " +
               unit + ".";
    std::string text = "The controller answers at station " + std::to_string(c.to) +
                       " from now on (it was " + std::to_string(c.from) + ").";
    if (c.followed)
        return text + " Port 1 now asks unit " + unit + ".";
    if (c.portUnit > 0)
        return text + " Port 1 still asks unit " + unit + ".";
    return text;
}

std::vector<std::string> RetrieveAdvancedBlocks(AdvancedRecord& advanced) {
    BeginLinkCommand();
    std::vector<std::string> failed;
    Block10 b10{};
    Block13 b13{};
    if (ReadBlock(10, b10))
        AdvancedFromBlock10(b10, advanced);
    else
        failed.push_back(BlockText("read", 10));
    if (ReadBlock(13, b13))
        AdvancedFromBlock13(b13, advanced);
    else
        failed.push_back(BlockText("read", 13));
    NoteRetrieved(kAdvancedGroup, failed.empty());
    return failed;
}

std::vector<std::string> SendAdvancedBlocks(const AdvancedRecord& advanced) {
    BeginLinkCommand();
    std::vector<std::string> failed;
    Block10 b10{};
    Block13 b13{};
    AdvancedIntoBlocks(advanced, b10, b13);
    // Block 10 carries WDIS: once it says Write Inhibit the controller refuses block 13,
    // so a locking SEND writes block 13 first. An unlocking one writes block 10 first.
    const bool locks = advanced.WDIS == 1;
    bool wrote13 = false;
    if (locks && !(wrote13 = WriteBlock(13, b13)))
        failed.push_back(BlockText("write", 13));
    const bool wrote10 = WriteBlock(10, b10);
    if (!wrote10)
        failed.push_back(BlockText("write", 10));
    if (!locks && !(wrote13 = WriteBlock(13, b13)))
        failed.push_back(BlockText("write", 13));
    SendOutcome outcome = SendOutcome::Verified;
    if (wrote10)
        outcome = Worse(outcome, CheckWritten(10, b10, failed));
    if (wrote13)
        outcome = Worse(outcome, CheckWritten(13, b13, failed));
    if (!wrote10 || !wrote13)
        outcome = SendOutcome::Failed;
    NoteSent(kAdvancedGroup, outcome);
    return failed;
}

bool ReadBlockBytes(int block, uint8_t* data, int32_t length) {
    int32_t status = 0;
    return TQXRead(TQX_MODE_READ_BYTES, block, 0, length, data, &status) != 0;
}

bool ReadWdis(uint8_t& wdis) {
    std::array<uint8_t, 1> byte{};
    if (!ReadBlock(10, byte, kWdisOffset))
        return false;
    wdis = byte[0];
    return true;
}

bool WriteWdis(uint8_t wdis) {
    const std::array<uint8_t, 1> byte{wdis};
    return WriteBlock(10, byte, kWdisOffset);
}

int PidGroupBlock(int g) {
    return blockmap::kPidBlocks[g - 1];
}

bool SendPidGroupBlock(const ParameterImage& image, int g, std::vector<std::string>& readBack) {
    const PidGroupRecord& record = image.pid[static_cast<size_t>(g - 1)];
    int32_t status = 0;
    if (TQXWrite(TQX_MODE_WRITE_WORDS, PidGroupBlock(g), 0, PidGroupRecord::kWords,
                 record.bytes.data(), &status) == 0) {
        NoteSent(PidGroupIndex(g), SendOutcome::Failed);
        return false;
    }
    SendOutcome outcome = SendOutcome::Sent;
    if (VerifyAfterSend()) {
        std::array<uint8_t, PidGroupRecord::kBytes> back{};
        if (TQXRead(TQX_MODE_READ_WORDS, PidGroupBlock(g), 0, PidGroupRecord::kWords, back.data(),
                    &status) == 0) {
            readBack.push_back(ReadBackFailed(PidGroupBlock(g)));
        } else if (back != record.bytes) {
            readBack.push_back(ReadBackDiffers(PidGroupBlock(g)));
            outcome = SendOutcome::Differs;
        } else {
            outcome = SendOutcome::Verified;
        }
    }
    NoteSent(PidGroupIndex(g), outcome);
    return true;
}

bool RetrievePidGroupBlock(ParameterImage& image, int g) {
    int32_t status = 0;
    // The record is the block's exact image; a failed read leaves it unchanged.
    const bool ok = TQXRead(TQX_MODE_READ_WORDS, PidGroupBlock(g), 0, PidGroupRecord::kWords,
                            image.pid[static_cast<size_t>(g - 1)].bytes.data(), &status) != 0;
    NoteRetrieved(PidGroupIndex(g), ok);
    return ok;
}

std::vector<std::string> SendPidGroupBlocks(const ParameterImage& image) {
    BeginLinkCommand();
    std::vector<std::string> failed;
    for (int g = 1; g <= ParameterImage::kPidGroups; ++g)
        if (!SendPidGroupBlock(image, g, failed))
            failed.push_back("write PID group " + std::to_string(g));
    return failed;
}

void ShowTransferFailures(const std::string& operation, const std::vector<std::string>& failed,
                          Messages& messages) {
    if (failed.empty())
        return;
    std::string text = operation + " failed: ";
    for (size_t i = 0; i < failed.size(); ++i)
        text += (i ? ", " : "") + failed[i];
    messages.Show(WithLinkCause(text + "."));
}
