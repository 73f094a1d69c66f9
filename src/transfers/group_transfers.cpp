#include "transfers/group_transfers.h"

#include "link/tqxcomm.h"

#include <array>

namespace {

// STN's byte of block 12, where a SEND may move the controller to another station.
size_t StationByte() {
    return static_cast<size_t>(RowOf(&SystemSetupRecord::STN).offset);
}

std::string BlockText(const char* what, int32_t block) {
    return std::string(what) + " block " + std::to_string(block);
}

template <class Block>
bool ReadBlock(TransferContext& link, int32_t block, Block& data, int32_t offset = 0) {
    return link.Read(TQX_MODE_READ_BYTES, block, offset, static_cast<int32_t>(data.size()),
                     data.data());
}

template <class Block>
bool WriteBlock(TransferContext& link, int32_t block, const Block& data, int32_t offset = 0) {
    return link.Write(TQX_MODE_WRITE_BYTES, block, offset, static_cast<int32_t>(data.size()),
                      data.data());
}

// One call of a transfer: counted, and noted with the link's reason when it failed.
bool Noted(TransferContext& link, TransferResult& result, bool ok, int32_t block,
           const std::string& what) {
    ++result.calls;
    if (!ok) {
        result.Fail(block, what, link.FailureText());
        if (link.Cancelled())
            result.Worsen(TransferOutcome::Cancelled);
    }
    return ok;
}

// What the progress window says: "Writing Setting up (SYSTEM PARAMETER), block 12".
void Announce(TransferContext& link, const char* verb, GroupId group, int32_t block, int done,
              int total) {
    link.Step(std::string(verb) + " " + GroupTitle(group) + ", block " + std::to_string(block),
              done, total);
}

// One write of a transfer: noted as written, failed, or failed after it may have landed.
bool NotedWrite(TransferContext& link, TransferResult& result, bool ok, int32_t block,
                const std::string& what) {
    if (Noted(link, result, ok, block, what))
        result.Wrote(block);
    else if (link.LastCallMayHaveLanded())
        result.MaybeWrote(block);
    return ok;
}

// After a write that went through: reads the block back when verify is on, and notes in
// `result` a difference or a read-back that failed.
template <class Block>
void CheckWritten(TransferContext& link, int32_t block, const Block& written,
                  TransferResult& result) {
    if (!link.Verify())
        return;
    Block back{};
    ++result.calls;
    if (!ReadBlock(link, block, back)) {
        result.failed.push_back({block, ReadBackFailed(block)});
        result.AddCause(link.FailureText());
        return;
    }
    if (back != written) {
        result.failed.push_back({block, ReadBackDiffers(block)});
        result.Worsen(TransferOutcome::Differs);
    }
}

// A SEND that wrote everything is Verified when verify found nothing wrong.
void Conclude(TransferContext& link, TransferResult& result) {
    if (result.outcome == TransferOutcome::Done && result.failed.empty() && link.Verify())
        result.outcome = TransferOutcome::Verified;
}

} // namespace

TransferResult RetrieveSystemSetup(TransferContext& link, SystemSetupRecord& setup) {
    link.BeginCommand();
    TransferResult result;
    Block12 b12{};
    Block9 b9{};
    SystemSetupIntoBlocks(setup, b12, b9); // a block that fails keeps the record's fields
    Block12 read12{};
    Block9 read9{};
    Announce(link, "Reading", GroupId::SystemSetup(), 12, 0, 2);
    if (Noted(link, result, ReadBlock(link, 12, read12), 12, BlockText("read", 12)))
        b12 = read12;
    Announce(link, "Reading", GroupId::SystemSetup(), 9, 1, 2);
    if (Noted(link, result, ReadBlock(link, 9, read9), 9, BlockText("read", 9)))
        b9 = read9;
    SystemSetupFromBlocks(b12, b9, setup);
    link.NoteRetrieved(GroupId::SystemSetup(), result.Ok());
    return result;
}

TransferResult WriteSystemSetupOnto(TransferContext& link, const SystemSetupRecord& setup,
                                    HeldSetupBlocks held, WritePolicy writes,
                                    StationChange* change) {
    TransferResult result;
    const int oldStation = held.b12 ? (*held.b12)[StationByte()] : 0;
    Block12 b12 = held.b12.value_or(Block12{});
    Block9 b9 = held.b9.value_or(Block9{});
    SystemSetupIntoBlocks(setup, b12, b9);
    // A new station takes effect as block 12 lands: block 9 goes first then, while the
    // controller still answers where port 1 asks. A controller that answered holds a
    // station of 1..31; any other byte there is not where it answers.
    const bool moves = held.b12 && b12[StationByte()] != oldStation && oldStation >= 1 &&
                       oldStation <= kMaxStation;
    bool wrote12 = false;
    const auto stopped = [&] {
        return writes == WritePolicy::StopAtFirstFailure && !result.failed.empty();
    };
    const auto send12 = [&] {
        if (stopped())
            return;
        if (!held.b12) {
            result.Fail(12, BlockText("read", 12), held.why12);
            return;
        }
        Announce(link, "Writing", GroupId::SystemSetup(), 12, result.calls, 2);
        wrote12 = NotedWrite(link, result, WriteBlock(link, 12, b12), 12, BlockText("write", 12));
    };
    const auto send9 = [&] {
        if (stopped())
            return;
        if (!held.b9) {
            result.Fail(9, BlockText("read", 9), held.why9);
            return;
        }
        Announce(link, "Writing", GroupId::SystemSetup(), 9, result.calls, 2);
        NotedWrite(link, result, WriteBlock(link, 9, b9), 9, BlockText("write", 9));
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
        moved.to = b12[StationByte()];
        if (moved.to != 0 && link.Unit() == moved.from) {
            link.MoveUnit(moved.to);
            moved.followed = true;
        }
    }
    moved.portUnit = link.Unit();
    if (change)
        *change = moved;
    return result;
}

TransferResult SendSystemSetup(TransferContext& link, const SystemSetupRecord& setup,
                               StationChange* change, WritePolicy writes) {
    link.BeginCommand();
    HeldSetupBlocks held;
    Block12 b12{};
    Block9 b9{};
    Announce(link, "Reading", GroupId::SystemSetup(), 12, 0, 2);
    if (ReadBlock(link, 12, b12))
        held.b12 = b12;
    else
        held.why12 = link.FailureText();
    Announce(link, "Reading", GroupId::SystemSetup(), 9, 1, 2);
    if (ReadBlock(link, 9, b9))
        held.b9 = b9;
    else
        held.why9 = link.FailureText();
    StationChange moved;
    TransferResult result = WriteSystemSetupOnto(link, setup, held, writes, &moved);
    result.calls += 2;
    if (change)
        *change = moved;
    // A controller that moved to a station port 1 did not follow is out of reach for the
    // read-back: what was written stays unverified.
    if (result.Ok() && !(moved.changed && !moved.followed)) {
        SystemSetupIntoBlocks(setup, b12, b9);
        CheckWritten(link, 12, b12, result);
        CheckWritten(link, 9, b9, result);
        Conclude(link, result);
    }
    link.NoteSent(GroupId::SystemSetup(), result.outcome);
    return result;
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

std::string StationQuestion(int station) {
    const std::string what =
        station == 0 ? "STN 0 is the broadcast address, which no controller answers"
                     : "STN " + std::to_string(station) + " is outside 1 to " +
                           std::to_string(kMaxStation) + ", the stations port 1 can ask";
    return what + ": once it is written, the controller is out of reach over the link until "
                  "its station is set again on its front panel.\nSend it anyway? Cancel "
                  "writes nothing.";
}

TransferResult RetrieveAdvanced(TransferContext& link, AdvancedRecord& advanced) {
    link.BeginCommand();
    TransferResult result;
    Block10 b10{};
    Block13 b13{};
    Announce(link, "Reading", GroupId::Advanced(), 10, 0, 2);
    if (Noted(link, result, ReadBlock(link, 10, b10), 10, BlockText("read", 10)))
        AdvancedFromBlock10(b10, advanced);
    Announce(link, "Reading", GroupId::Advanced(), 13, 1, 2);
    if (Noted(link, result, ReadBlock(link, 13, b13), 13, BlockText("read", 13)))
        AdvancedFromBlock13(b13, advanced);
    link.NoteRetrieved(GroupId::Advanced(), result.Ok());
    return result;
}

TransferResult SendAdvanced(TransferContext& link, const AdvancedRecord& advanced,
                            WritePolicy writes) {
    link.BeginCommand();
    TransferResult result;
    Block10 b10{};
    Block13 b13{};
    AdvancedIntoBlocks(advanced, b10, b13);
    // Block 10 carries WDIS: once it says Write Inhibit the controller refuses block 13,
    // so a locking SEND writes block 13 first. An unlocking one writes block 10 first.
    const bool locks = advanced.WDIS == 1;
    const bool stop = writes == WritePolicy::StopAtFirstFailure;
    const auto write = [&](int32_t block, const auto& data) {
        if (stop && !result.failed.empty())
            return false;
        Announce(link, "Writing", GroupId::Advanced(), block, result.calls, 2);
        return NotedWrite(link, result, WriteBlock(link, block, data), block,
                          BlockText("write", block));
    };
    bool wrote13 = locks && write(13, b13);
    const bool wrote10 = write(10, b10);
    if (!locks)
        wrote13 = write(13, b13);
    if (wrote10)
        CheckWritten(link, 10, b10, result);
    if (wrote13)
        CheckWritten(link, 13, b13, result);
    Conclude(link, result);
    link.NoteSent(GroupId::Advanced(), result.outcome);
    return result;
}

bool ReadBlockBytes(TransferContext& link, int32_t block, uint8_t* data, int32_t length) {
    return link.Read(TQX_MODE_READ_BYTES, block, 0, length, data);
}

bool ReadWdis(TransferContext& link, uint8_t& wdis) {
    std::array<uint8_t, 1> byte{};
    if (!ReadBlock(link, blocks::kAdvancedA, byte, RowOf(&AdvancedRecord::WDIS).offset))
        return false;
    wdis = byte[0];
    return true;
}

bool WriteWdis(TransferContext& link, uint8_t wdis) {
    const std::array<uint8_t, 1> byte{wdis};
    return WriteBlock(link, blocks::kAdvancedA, byte, RowOf(&AdvancedRecord::WDIS).offset);
}

int32_t PidGroupBlock(int g) {
    return blocks::kPidBlocks[g - 1];
}

TransferResult SendPidGroup(TransferContext& link, const ParameterImage& image, int g) {
    const PidGroupRecord& record = image.pid[static_cast<size_t>(g - 1)];
    const int32_t block = PidGroupBlock(g);
    TransferResult result;
    link.Step("Writing PID group " + std::to_string(g), g - 1, ParameterImage::kPidGroups);
    const bool wrote = NotedWrite(
        link, result,
        link.Write(TQX_MODE_WRITE_WORDS, block, 0, PidGroupRecord::kWords, record.bytes.data()),
        block, "write PID group " + std::to_string(g));
    if (wrote && link.Verify()) {
        std::array<uint8_t, PidGroupRecord::kBytes> back{};
        ++result.calls;
        if (!link.Read(TQX_MODE_READ_WORDS, block, 0, PidGroupRecord::kWords, back.data())) {
            result.failed.push_back({block, ReadBackFailed(block)});
            result.AddCause(link.FailureText());
        } else if (back != record.bytes) {
            result.failed.push_back({block, ReadBackDiffers(block)});
            result.Worsen(TransferOutcome::Differs);
        }
        Conclude(link, result);
    }
    link.NoteSent(GroupId::Pid(g), result.outcome);
    return result;
}

TransferResult RetrievePidGroup(TransferContext& link, ParameterImage& image, int g) {
    TransferResult result;
    const int32_t block = PidGroupBlock(g);
    link.Step("Reading PID group " + std::to_string(g), 0, 1);
    // The record is the block's exact image; a failed read leaves it unchanged.
    std::array<uint8_t, PidGroupRecord::kBytes> read{};
    if (Noted(link, result,
              link.Read(TQX_MODE_READ_WORDS, block, 0, PidGroupRecord::kWords, read.data()), block,
              "read PID group " + std::to_string(g)))
        image.pid[static_cast<size_t>(g - 1)].bytes = read;
    link.NoteRetrieved(GroupId::Pid(g), result.Ok());
    return result;
}

void ShowTransferFailures(const std::string& operation, const TransferResult& result,
                          Messages& messages) {
    const std::string text = FailureText(operation, result);
    if (!text.empty())
        messages.Show(text);
}
