#include "transfers/group_layouts.h"

#include "image/little_endian.h"

namespace {

using SS = SystemSetupRecord;
using AR = AdvancedRecord;

template <class Record>
void CopyOut(const std::vector<BlockField<Record>>& layout, const uint8_t* block, Record& r) {
    for (const auto& f : layout)
        f.field.Set(r, f.field.Width() == 1 ? block[f.offset] : le::Get16(block + f.offset));
}

template <class Record>
void CopyIn(const std::vector<BlockField<Record>>& layout, const Record& r, uint8_t* block) {
    for (const auto& f : layout) {
        if (f.field.Width() == 1)
            block[f.offset] = static_cast<uint8_t>(f.field.Get(r));
        else
            le::Put16(block + f.offset, f.field.Get(r));
    }
}

} // namespace

const std::vector<BlockField<SS>>& Block12Layout() {
    // Byte 0 and bytes 31-32 belong to no field of this system.
    static const std::vector<BlockField<SS>> layout = {
        {1, {"PVT", &SS::PVT}},    {2, {"PVU", &SS::PVU}},    {3, {"PVD", &SS::PVD}},
        {4, {"PVF", &SS::PVF}},    {6, {"PVB", &SS::PVB}},    {8, {"SFT", &SS::SFT}},
        {10, {"STM", &SS::STM}},   {11, {"CI", &SS::CI}},     {12, {"PSET", &SS::PSET}},
        {14, {"BURN", &SS::BURN}}, {16, {"AO1R", &SS::AO1R}}, {17, {"AO1T", &SS::AO1T}},
        {18, {"AO1F", &SS::AO1F}}, {20, {"AO1B", &SS::AO1B}}, {22, {"AO2R", &SS::AO2R}},
        {23, {"AO2T", &SS::AO2T}}, {24, {"AO2F", &SS::AO2F}}, {26, {"AO2B", &SS::AO2B}},
        {28, {"TMDT", &SS::TMDT}}, {29, {"TMU", &SS::TMU}},   {30, {"STN", &SS::STN}},
    };
    return layout;
}

const std::vector<BlockField<SS>>& Block9Layout() {
    // Bytes 0-3 and 12-19 belong to no field of this system.
    static const std::vector<BlockField<SS>> layout = {
        {4, {"TF", &SS::TF}},        {6, {"GS-H", &SS::GS_H}},    {8, {"GS-L", &SS::GS_L}},
        {10, {"GS-T", &SS::GS_T}},   {20, {"EV-T1", &SS::EV_T1}}, {21, {"EV-T2", &SS::EV_T2}},
        {22, {"EV-T3", &SS::EV_T3}}, {23, {"EV-T4", &SS::EV_T4}}, {24, {"ENDT", &SS::ENDT}},
    };
    return layout;
}

const std::vector<BlockField<AR>>& Block10Layout() {
    static const std::vector<BlockField<AR>> layout = {
        {0, {"SV-H", &AR::SV_H}},  {2, {"SV-L", &AR::SV_L}},  {4, {"DMV", &AR::DMV}},
        {6, {"A1HS", &AR::A1HS}},  {8, {"A2HS", &AR::A2HS}},  {10, {"A3HS", &AR::A3HS}},
        {12, {"A4HS", &AR::A4HS}}, {14, {"DV-D", &AR::DV_D}}, {15, {"MVLT", &AR::MVLT}},
        {16, {"WDIS", &AR::WDIS}},
    };
    return layout;
}

const std::vector<BlockField<AR>>& Block13Layout() {
    static const std::vector<BlockField<AR>> layout = {
        {0, {"SVMOD", &AR::SVMOD}}, {1, {"PID", &AR::PID}}, {2, {"GAP", &AR::GAP}},
        {4, {"MAX", &AR::MAX}},     {6, {"PP", &AR::PP}},   {8, {"PI", &AR::PI}},
        {10, {"PD", &AR::PD}},
    };
    return layout;
}

void SystemSetupFromBlocks(const Block12& b12, const Block9& b9, SystemSetupRecord& setup) {
    CopyOut(Block12Layout(), b12.data(), setup);
    CopyOut(Block9Layout(), b9.data(), setup);
}

void SystemSetupIntoBlocks(const SystemSetupRecord& setup, Block12& b12, Block9& b9) {
    CopyIn(Block12Layout(), setup, b12.data());
    CopyIn(Block9Layout(), setup, b9.data());
}

void AdvancedFromBlock10(const Block10& b10, AdvancedRecord& advanced) {
    CopyOut(Block10Layout(), b10.data(), advanced);
}

void AdvancedFromBlock13(const Block13& b13, AdvancedRecord& advanced) {
    CopyOut(Block13Layout(), b13.data(), advanced);
}

void AdvancedIntoBlocks(const AdvancedRecord& advanced, Block10& b10, Block13& b13) {
    CopyIn(Block10Layout(), advanced, b10.data());
    CopyIn(Block13Layout(), advanced, b13.data());
}
