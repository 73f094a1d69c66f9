#pragma once

#include "image/group_layouts.h"
#include "image/parameter_image.h"
#include "operator/messages.h"
#include "transfers/transfer_context.h"
#include "transfers/transfer_result.h"

#include <optional>
#include <string>

// The block transfers of the system setup, advanced and PID groups, as the editors'
// RETRIEVE and SEND, the restore and Send all run them. A failed read changes nothing in
// the image. Each tells the context's listener what it did, and with verify on a SEND
// reads back what it wrote.

TransferResult RetrieveSystemSetup(TransferContext& link, SystemSetupRecord& setup);
// Reads blocks 12 and 9, puts the owned fields in, writes them back; the bytes this
// system does not own keep the controller's values, and a block that could not be read
// is not written.
// A SEND that changes STN moves the controller to the new station at once: when port 1
// asked the old station, it follows to the new one (never to 0, the broadcast address no
// controller answers). Block 9 is then written before block 12, while the controller still
// answers at the old station. `change` says what happened.
struct StationChange {
    bool changed = false; // block 12 was written with another STN than the controller's
    int from = 0, to = 0;
    bool followed = false; // port 1 now asks `to`
    int portUnit = 0;      // the unit port 1 asks after the SEND
};
TransferResult SendSystemSetup(TransferContext& link, const SystemSetupRecord& setup,
                               StationChange* change = nullptr,
                               WritePolicy writes = WritePolicy::All);
// What the operator is told after a SEND that changed STN.
std::string StationChangeMessage(const StationChange& change);
// What a SEND asks before it writes a station port 1 cannot follow (0, the broadcast
// address, or one above 31).
std::string StationQuestion(int station);

// Blocks 12 and 9 as the controller holds them; a block that could not be read is empty,
// with the link's reason.
struct HeldSetupBlocks {
    std::optional<Block12> b12;
    std::optional<Block9> b9;
    std::string why12, why9;
};
// Puts the owned fields over the held blocks and writes them back (no reads of its own):
// block 12 then 9, or 9 first when STN moves, port 1 following the controller to its new
// station. A block not held is not written.
TransferResult WriteSystemSetupOnto(TransferContext& link, const SystemSetupRecord& setup,
                                    HeldSetupBlocks held, WritePolicy writes,
                                    StationChange* change = nullptr);

TransferResult RetrieveAdvanced(TransferContext& link, AdvancedRecord& advanced);
// Writes blocks 10 and 13; block 13 first when the record's WDIS is 1, since the
// controller refuses it once block 10 has set Write Inhibit.
TransferResult SendAdvanced(TransferContext& link, const AdvancedRecord& advanced,
                            WritePolicy writes = WritePolicy::All);

// One read of a whole block from its start, mode 1; false when it failed.
bool ReadBlockBytes(TransferContext& link, int32_t block, uint8_t* data, int32_t length);

// WDIS alone (its catalogue row's byte of block 10): 1 while the controller refuses every
// write but block 10.
bool ReadWdis(TransferContext& link, uint8_t& wdis);
bool WriteWdis(TransferContext& link, uint8_t wdis);

// Shows "SEND failed: write block 12, write block 9." for what failed, with the link's
// reason on the next line; nothing when everything went through.
void ShowTransferFailures(const std::string& operation, const TransferResult& result,
                          Messages& messages);

// The controller block of PID group g (1..9).
int32_t PidGroupBlock(int g);
// Writes PID group g (1..9) whole, mode 18. With verify on, reads the block back; a
// difference or a failed read-back is in the result (the write itself went through).
TransferResult SendPidGroup(TransferContext& link, const ParameterImage& image, int g);
// Reads PID group g (1..9) whole, mode 17; the record is unchanged when the read failed.
TransferResult RetrievePidGroup(TransferContext& link, ParameterImage& image, int g);
