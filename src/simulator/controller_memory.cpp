#include "simulator/controller_memory.h"

#include "image/little_endian.h"
#include "link/block_map.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kTimeNotUsed = 0x8000;
constexpr int kSegmentBytes = 42;
constexpr int kSegments = 20;

// Range values are hundredths of a percent of the input span (0..1200 degC here).
int16_t Percent(int degC) {
    return static_cast<int16_t>(degC * 10000 / 1200);
}

struct DemoSegment {
    int sv;        // degC
    uint16_t time; // pattern time units
    uint8_t pidNo;
    uint16_t ts1On, ts1Off;
};

struct DemoPattern {
    int pattern; // 1..9
    std::vector<DemoSegment> segments;
    uint8_t gsOrK, gsType, pvStart, cycles, link;
};

void PutPattern(uint8_t* mem, const DemoPattern& demo) {
    uint8_t* base = mem + blockmap::kPatternBase + blockmap::kPatternBytes * (demo.pattern - 1);
    for (size_t s = 0; s < demo.segments.size() && s < kSegments; ++s) {
        uint8_t* seg = base + kSegmentBytes * s;
        const DemoSegment& d = demo.segments[s];
        le::PutI16(seg + 0, Percent(d.sv));
        le::Put16(seg + 2, d.time);
        for (int k = 0; k < 4; ++k)
            le::PutI16(seg + 4 + 2 * k, static_cast<int16_t>(100 * (k + 1))); // alarms
        le::Put16(seg + 12, d.ts1On);
        le::Put16(seg + 14, d.ts1Off);
        for (int k = 1; k < 6; ++k) { // time signals 2..6 off
            le::Put16(seg + 12 + 4 * k, kTimeNotUsed);
            le::Put16(seg + 14 + 4 * k, kTimeNotUsed);
        }
        seg[36] = d.pidNo;
        seg[37] = demo.gsOrK;
        seg[38] = demo.gsType;
        seg[39] = s == 0 ? demo.pvStart : 0;
        seg[40] = s == 0 ? demo.cycles : 0;
        seg[41] = s == 0 ? demo.link : 0;
    }
}

} // namespace

ControllerMemory::ControllerMemory() : m_bytes(blockmap::kMemoryBytes, 0) {}

bool ControllerMemory::IsReadOnlyBlock(int block) {
    return block == 0 || block == 3 || (block >= 40 && block <= 44);
}

bool ControllerMemory::WriteProtected() const {
    return m_bytes[kWdisAddress] == 1;
}

bool ControllerMemory::MayWrite(uint32_t address, uint32_t count) const {
    if (count == 0 || address >= m_bytes.size() || count > m_bytes.size() - address)
        return false;
    const bool wdis = WriteProtected();
    for (uint32_t a = address; a < address + count; ++a) {
        const int32_t block = blockmap::BlockAt(a);
        if (block >= 0 && IsReadOnlyBlock(block))
            return false;
        if (wdis && (a >> 8) != 0x0A)
            return false;
    }
    return true;
}

bool ControllerMemory::Write(uint32_t address, const uint8_t* bytes, uint32_t count) {
    if (!MayWrite(address, count))
        return false;
    std::memcpy(m_bytes.data() + address, bytes, count);
    return true;
}

void ControllerMemory::Read(uint32_t address, uint8_t* bytes, uint32_t count) const {
    const uint32_t n =
        address < m_bytes.size()
            ? std::min<uint32_t>(count, static_cast<uint32_t>(m_bytes.size() - address))
            : 0;
    std::memcpy(bytes, m_bytes.data() + address, n);
    std::memset(bytes + n, 0, count - n);
}

void ControllerMemory::LoadFactoryContents(const std::string& modelCode) {
    std::fill(m_bytes.begin(), m_bytes.end(), 0);
    uint8_t* mem = m_bytes.data();
    auto at = [mem](int block, int offset) { return mem + blockmap::BlockBase(block) + offset; };

    // Block 40: the model code, 14 characters, NUL-padded.
    std::memset(at(40, 0), ' ', 14);
    std::memcpy(at(40, 0), modelCode.data(), std::min<size_t>(modelCode.size(), 14));

    // Identification and status blocks the loader only reads.
    const uint8_t block0[6] = {0x54, 0x51, 0x01, 0x03, 0x96, 0x11};
    std::memcpy(at(0, 0), block0, sizeof block0);
    for (int i = 0; i < 10; ++i)
        *at(3, i) = static_cast<uint8_t>(0x30 + i);
    for (int i = 0; i < 18; ++i)
        *at(41, i) = static_cast<uint8_t>(0x10 + i);
    for (int i = 0; i < 10; ++i)
        *at(42, i) = static_cast<uint8_t>(0xA0 + i);
    for (int i = 0; i < 12; ++i) {
        *at(43, i) = static_cast<uint8_t>(0x40 + i);
        *at(44, i) = static_cast<uint8_t>(0x60 + i);
    }

    // Block 12: input K thermocouple 0..1200 degC, no decimals; bytes 0, 31, 32 belong to
    // no parameter but hold the controller's own values.
    *at(12, 0) = 0x5A;
    *at(12, 1) = 36;               // PVT
    *at(12, 2) = 0;                // PVU degC
    *at(12, 3) = 0;                // PVD
    le::PutI16(at(12, 4), 0);      // PVF
    le::PutI16(at(12, 6), 0);      // PVB
    le::PutI16(at(12, 8), 0);      // SFT
    *at(12, 10) = 0;               // STM
    *at(12, 11) = 30;              // CI
    le::PutI16(at(12, 12), 0);     // PSET
    le::PutI16(at(12, 14), 1);     // BURN
    *at(12, 16) = 1;               // AO1R
    *at(12, 17) = 0;               // AO1T
    le::PutI16(at(12, 18), 10000); // AO1F
    le::PutI16(at(12, 20), 0);     // AO1B
    *at(12, 22) = 1;               // AO2R
    *at(12, 23) = 1;               // AO2T
    le::PutI16(at(12, 24), 10000); // AO2F
    le::PutI16(at(12, 26), 0);     // AO2B
    *at(12, 28) = 0;               // TMDT
    *at(12, 29) = 0;               // TMU
    *at(12, 30) = 1;               // STN
    *at(12, 31) = 0xC3;
    *at(12, 32) = 0x7E;

    // Block 9: bytes 0-3 and 12-19 are the controller's own.
    for (int i = 0; i < 4; ++i)
        *at(9, i) = static_cast<uint8_t>(0xE1 + i);
    for (int i = 12; i < 20; ++i)
        *at(9, i) = static_cast<uint8_t>(0x81 + i);
    le::PutI16(at(9, 4), 50);  // TF
    le::PutI16(at(9, 6), 83);  // GS-H
    le::PutI16(at(9, 8), 83);  // GS-L
    le::PutI16(at(9, 10), 10); // GS-T
    *at(9, 20) = 1;            // EV-T1..4
    *at(9, 21) = 2;
    *at(9, 22) = 3;
    *at(9, 23) = 4;
    le::PutI16(at(9, 24), 0); // ENDT

    // Block 10: limits and alarm hystereses; WDIS 0.
    le::PutI16(at(10, 0), 10000); // SV-H
    le::PutI16(at(10, 2), 0);     // SV-L
    le::PutI16(at(10, 4), 0);     // DMV
    for (int k = 0; k < 4; ++k)
        le::PutI16(at(10, 6 + 2 * k), 8); // AkHS
    *at(10, 14) = 1;                      // DV-D
    *at(10, 15) = 0;                      // MVLT
    *at(10, 16) = 0;                      // WDIS

    // Block 13: SVMOD, PID, GAP, MAX, PP, PI, PD.
    *at(13, 0) = 0;
    *at(13, 1) = 1;
    le::PutI16(at(13, 2), 50);
    le::PutI16(at(13, 4), 1000);
    le::PutI16(at(13, 6), 50);
    le::PutI16(at(13, 8), 240);
    le::PutI16(at(13, 10), 60);

    // Nine PID groups: P (tenths of %), I and D (s), GAP, KNL, ARW, MAN, MV-H, MV-L, REV.
    for (int g = 0; g < 9; ++g) {
        uint8_t* p = at(blockmap::kPidBlocks[g], 0);
        const uint16_t words[12] = {static_cast<uint16_t>(50 + 10 * g),
                                    static_cast<uint16_t>(240 + 20 * g),
                                    static_cast<uint16_t>(60 + 5 * g),
                                    0,
                                    0,
                                    1000,
                                    0,
                                    1000,
                                    0,
                                    0,
                                    0,
                                    0};
        for (int w = 0; w < 12; ++w)
            le::Put16(p + 2 * w, words[w]);
    }

    // Every pattern: segment 1 SV not set, every TIME and time signal unused.
    for (int n = 1; n <= 9; ++n) {
        uint8_t* base = mem + blockmap::kPatternBase + blockmap::kPatternBytes * (n - 1);
        for (int s = 0; s < kSegments; ++s) {
            uint8_t* seg = base + kSegmentBytes * s;
            le::Put16(seg + 2, kTimeNotUsed);
            for (int k = 0; k < 6; ++k) {
                le::Put16(seg + 12 + 4 * k, kTimeNotUsed);
                le::Put16(seg + 14 + 4 * k, kTimeNotUsed);
            }
        }
        le::Put16(base, 0x8000);
    }
    PutPattern(mem, {1,
                     {{100, 30, 1, 0, 10},
                      {100, 60, 1, kTimeNotUsed, kTimeNotUsed},
                      {500, 90, 2, 10, 80},
                      {500, 120, 2, kTimeNotUsed, kTimeNotUsed},
                      {50, 150, 3, 0, 150}},
                     1,
                     0,
                     1,
                     1,
                     0});
    PutPattern(mem, {2,
                     {{200, 20, 4, kTimeNotUsed, kTimeNotUsed},
                      {800, 240, 5, 0, 240},
                      {800, 180, 5, kTimeNotUsed, kTimeNotUsed},
                      {25, 300, 6, 0, 30}},
                     2,
                     1,
                     0,
                     3,
                     3});
    PutPattern(mem, {3,
                     {{300, 45, 7, 5, 40},
                      {300, 45, 8, kTimeNotUsed, kTimeNotUsed},
                      {600, 60, 9, kTimeNotUsed, kTimeNotUsed}},
                     0,
                     0,
                     0,
                     0,
                     0});
}
