#pragma once

#include "image/controller_blocks.h"
#include "image/parameter_catalogue.h"
#include "image/records.h"

#include <array>
#include <cstdint>
#include <vector>

// The controller block layouts of the system setup group (blocks 12 and 9) and of the
// advanced group (blocks 10 and 13), made from the parameter catalogue. Connect,
// RETRIEVE, SEND, the restore and the history's sets all use these.

constexpr int kBlock12Bytes = blocks::Bytes(blocks::kSystemSetupA);
constexpr int kBlock9Bytes = blocks::Bytes(blocks::kSystemSetupB);
constexpr int kBlock10Bytes = blocks::Bytes(blocks::kAdvancedA);
constexpr int kBlock13Bytes = blocks::Bytes(blocks::kAdvancedB);

using Block12 = std::array<uint8_t, kBlock12Bytes>;
using Block9 = std::array<uint8_t, kBlock9Bytes>;
using Block10 = std::array<uint8_t, kBlock10Bytes>;
using Block13 = std::array<uint8_t, kBlock13Bytes>;

// The catalogue's rows of `kind` that live in controller block `block`, in offset order.
std::vector<const ParameterRow*> RowsInBlock(GroupId::Kind kind, int32_t block);

// Copies the owned fields out of the blocks; bytes no field owns are not looked at.
void SystemSetupFromBlocks(const Block12& b12, const Block9& b9, SystemSetupRecord& setup);
// Puts the owned fields into the blocks; the other bytes keep what the blocks held.
void SystemSetupIntoBlocks(const SystemSetupRecord& setup, Block12& b12, Block9& b9);

void AdvancedFromBlock10(const Block10& b10, AdvancedRecord& advanced);
void AdvancedFromBlock13(const Block13& b13, AdvancedRecord& advanced);
void AdvancedIntoBlocks(const AdvancedRecord& advanced, Block10& b10, Block13& b13);
