#pragma once

#include "image/little_endian.h"

#include <array>
#include <cstdint>
#include <tuple>

// The group records of the parameter image. Every field holds the controller's own
// stored integer; names follow the controller mnemonics ("SV-H" is SV_H).

struct SystemSetupRecord {
    uint8_t PVT = 0;
    uint8_t PVU = 0;
    uint8_t PVD = 0;
    int16_t PVF = 0;
    int16_t PVB = 0;
    int16_t SFT = 0;
    uint8_t STM = 0;
    uint8_t CI = 0;
    int16_t PSET = 0;
    int16_t BURN = 0;
    uint8_t AO1R = 0;
    uint8_t AO1T = 0;
    int16_t AO1F = 0;
    int16_t AO1B = 0;
    uint8_t AO2R = 0;
    uint8_t AO2T = 0;
    int16_t AO2F = 0;
    int16_t AO2B = 0;
    uint8_t TMDT = 0;
    uint8_t TMU = 0;
    uint8_t STN = 0;
    int16_t TF = 0;
    int16_t GS_H = 0;
    int16_t GS_L = 0;
    int16_t GS_T = 0;
    uint8_t EV_T1 = 0;
    uint8_t EV_T2 = 0;
    uint8_t EV_T3 = 0;
    uint8_t EV_T4 = 0;
    int16_t ENDT = 0;

    auto Tie() const {
        return std::tie(PVT, PVU, PVD, PVF, PVB, SFT, STM, CI, PSET, BURN, AO1R, AO1T, AO1F, AO1B,
                        AO2R, AO2T, AO2F, AO2B, TMDT, TMU, STN, TF, GS_H, GS_L, GS_T, EV_T1, EV_T2,
                        EV_T3, EV_T4, ENDT);
    }
    bool operator==(const SystemSetupRecord& o) const { return Tie() == o.Tie(); }
    bool operator!=(const SystemSetupRecord& o) const { return !(*this == o); }
};

struct AdvancedRecord {
    int16_t SV_H = 0;
    int16_t SV_L = 0;
    int16_t DMV = 0;
    int16_t A1HS = 0;
    int16_t A2HS = 0;
    int16_t A3HS = 0;
    int16_t A4HS = 0;
    uint8_t DV_D = 0;
    uint8_t MVLT = 0;
    uint8_t WDIS = 0;
    uint8_t SVMOD = 0;
    uint8_t PID = 0;
    int16_t GAP = 0;
    int16_t MAX = 0;
    int16_t PP = 0;
    int16_t PI = 0;
    int16_t PD = 0;

    auto Tie() const {
        return std::tie(SV_H, SV_L, DMV, A1HS, A2HS, A3HS, A4HS, DV_D, MVLT, WDIS, SVMOD, PID, GAP,
                        MAX, PP, PI, PD);
    }
    bool operator==(const AdvancedRecord& o) const { return Tie() == o.Tie(); }
    bool operator!=(const AdvancedRecord& o) const { return !(*this == o); }
};

// One PID group: the exact 24-byte image of its controller block, twelve words.
struct PidGroupRecord {
    static constexpr int kBytes = 24;
    static constexpr int kWords = 12;
    enum Word { P, I, D, GAP, KNL, ARW, MAN, MV_H, MV_L, REV, NO_USE1, NO_USE2 };

    std::array<uint8_t, kBytes> bytes{};

    uint16_t Word(int k) const { return le::Get16(&bytes[2 * k]); }
    void SetWord(int k, uint16_t v) { le::Put16(&bytes[2 * k], v); }
    int16_t Signed(int k) const { return le::GetI16(&bytes[2 * k]); }
    void SetSigned(int k, int16_t v) { le::PutI16(&bytes[2 * k], v); }

    bool operator==(const PidGroupRecord& o) const { return bytes == o.bytes; }
    bool operator!=(const PidGroupRecord& o) const { return bytes != o.bytes; }
};

// Byte offsets of the fields of one 42-byte segment record.
namespace seg {
constexpr int SV = 0;
constexpr int TIME = 2;
constexpr int ALM1 = 4;   // ALMk at 4 + 2 (k - 1)
constexpr int TS1ON = 12; // TSkON at 12 + 4 (k - 1), TSkOF two bytes later
constexpr int PIDNO = 36;
constexpr int GSORK = 37;
constexpr int GSTYP = 38;
constexpr int PVST = 39;
constexpr int CYCL = 40;
constexpr int LINK = 41;

constexpr int Alarm(int k) {
    return ALM1 + 2 * (k - 1);
}
constexpr int TsOn(int k) {
    return TS1ON + 4 * (k - 1);
}
constexpr int TsOff(int k) {
    return TS1ON + 4 * (k - 1) + 2;
}
} // namespace seg

// A view of one segment inside a pattern's byte image.
class SegmentRecord {
public:
    static constexpr int kBytes = 42;
    explicit SegmentRecord(uint8_t* p) : m_p(p) {}

    uint16_t Word(int offset) const { return le::Get16(m_p + offset); }
    void SetWord(int offset, uint16_t v) { le::Put16(m_p + offset, v); }
    int16_t SV() const { return le::GetI16(m_p + seg::SV); }
    void SetSV(int16_t v) { le::PutI16(m_p + seg::SV, v); }
    uint16_t TIME() const { return Word(seg::TIME); }
    void SetTIME(uint16_t v) { SetWord(seg::TIME, v); }
    int16_t Alarm(int k) const { return le::GetI16(m_p + seg::Alarm(k)); }
    void SetAlarm(int k, int16_t v) { le::PutI16(m_p + seg::Alarm(k), v); }
    uint16_t TsOn(int k) const { return Word(seg::TsOn(k)); }
    void SetTsOn(int k, uint16_t v) { SetWord(seg::TsOn(k), v); }
    uint16_t TsOff(int k) const { return Word(seg::TsOff(k)); }
    void SetTsOff(int k, uint16_t v) { SetWord(seg::TsOff(k), v); }
    uint8_t Byte(int offset) const { return m_p[offset]; }
    void SetByte(int offset, uint8_t v) { m_p[offset] = v; }

private:
    uint8_t* m_p;
};

// One program pattern: 840 bytes, twenty 42-byte segment records in controller layout.
struct ProgramPatternRecord {
    static constexpr int kSegments = 20;
    static constexpr int kBytes = kSegments * SegmentRecord::kBytes;

    std::array<uint8_t, kBytes> bytes{};

    // s counts from 1.
    SegmentRecord Segment(int s) { return SegmentRecord(&bytes[SegmentRecord::kBytes * (s - 1)]); }
    const SegmentRecord Segment(int s) const {
        return SegmentRecord(const_cast<uint8_t*>(&bytes[SegmentRecord::kBytes * (s - 1)]));
    }

    bool operator==(const ProgramPatternRecord& o) const { return bytes == o.bytes; }
    bool operator!=(const ProgramPatternRecord& o) const { return bytes != o.bytes; }
};
