#pragma once

#include "image/parameter_image.h"
#include "operator/messages.h"
#include "transfers/transfer_context.h"
#include "transfers/transfer_result.h"

#include <cstdint>
#include <string>

// The controller transfers of one program pattern n (1..9). Pattern n lives in blocks
// A = 20 + 2 (n - 1) (record bytes 0..419) and B = A + 1 (bytes 420..839); its record
// starts at byte address 0xC000 + 840 (n - 1) of the controller's pattern memory.

int32_t PatternBlockA(int n);
int32_t PatternBlockB(int n);
int32_t PatternAddress(int n);

// One of the four mode-17 reads of a pattern: its block, byte offset, length in words and
// where it lands in the record.
struct PatternPiece {
    int32_t block;
    int32_t offset;
    int32_t words;
    int recordOffset;
};
PatternPiece PatternRead(int n, int k); // k 0..3

// What a pattern transfer names: "program pattern 4 part 2".
std::string PatternPartText(int n, int k);

// The four mode-17 reads into record n. Each failed read shows "false Retrieve1" ..
// "false Retrieve4" and leaves its part of the record as it was; the next read still runs.
TransferResult RetrievePattern(TransferContext& link, ParameterImage& image, int n,
                               Messages& messages);

// The seven mode-12 writes of record n: six pieces of 126 bytes, then 84 bytes. Each
// failed write shows "falseSEND1" .. "falseSEND7". With verify on and every write
// through, the pattern is read back; a block that differs (or a read-back that fails) is
// in the result, and told in one message naming the block.
TransferResult SendPattern(TransferContext& link, const ParameterImage& image, int n,
                           Messages& messages, WritePolicy writes = WritePolicy::All);
