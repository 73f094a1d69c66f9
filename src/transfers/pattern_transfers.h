#pragma once

#include "image/parameter_image.h"
#include "operator/messages.h"

#include <cstdint>

// The controller transfers of one program pattern n (1..9). Pattern n lives in blocks
// A = 20 + 2 (n - 1) (record bytes 0..419) and B = A + 1 (bytes 420..839); its record
// starts at byte address 0xC000 + 840 (n - 1) of the controller's pattern memory.

int PatternBlockA(int n);
int PatternBlockB(int n);
int32_t PatternAddress(int n);

// The four mode-17 reads into record n. Each failed read shows "false Retrieve1" ..
// "false Retrieve4" and leaves its part of the record as it was; the next read still
// runs. Returns the number of reads that failed.
int RetrievePattern(ParameterImage& image, int n, Messages& messages);

// The seven mode-12 writes of record n: six pieces of 126 bytes, then 84 bytes. Each
// failed write shows "falseSEND1" .. "falseSEND7"; every write is attempted. Returns the
// number of writes that failed. With verify on and every write through, the pattern is
// read back; each block that differs (or a read-back that fails) is one more failure,
// told in one message naming the block.
int SendPattern(const ParameterImage& image, int n, Messages& messages);
