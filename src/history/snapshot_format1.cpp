#include "history/snapshot_format1.h"

#include "image/little_endian.h"

#include <algorithm>

namespace {

using SS = SystemSetupRecord;
using AR = AdvancedRecord;

// One field of a named record: a byte or a 16-bit word.
template <class Record> struct Field {
    uint8_t Record::*byte;
    int16_t Record::*word;
};
template <class Record> constexpr Field<Record> F(uint8_t Record::*member) {
    return {member, nullptr};
}
template <class Record> constexpr Field<Record> F(int16_t Record::*member) {
    return {nullptr, member};
}

// The fields in the order the parameter catalogue listed them when format 1 was written.
constexpr Field<SS> kSetupFields[] = {
    F(&SS::PVT),  F(&SS::PVU),   F(&SS::PVD),   F(&SS::PVF),   F(&SS::PVB),   F(&SS::SFT),
    F(&SS::STM),  F(&SS::CI),    F(&SS::PSET),  F(&SS::BURN),  F(&SS::AO1R),  F(&SS::AO1T),
    F(&SS::AO1F), F(&SS::AO1B),  F(&SS::AO2R),  F(&SS::AO2T),  F(&SS::AO2F),  F(&SS::AO2B),
    F(&SS::TMDT), F(&SS::TMU),   F(&SS::STN),   F(&SS::TF),    F(&SS::GS_H),  F(&SS::GS_L),
    F(&SS::GS_T), F(&SS::EV_T1), F(&SS::EV_T2), F(&SS::EV_T3), F(&SS::EV_T4), F(&SS::ENDT),
};
constexpr Field<AR> kAdvancedFields[] = {
    F(&AR::SV_H), F(&AR::SV_L), F(&AR::DMV),  F(&AR::A1HS), F(&AR::A2HS),  F(&AR::A3HS),
    F(&AR::A4HS), F(&AR::DV_D), F(&AR::MVLT), F(&AR::WDIS), F(&AR::SVMOD), F(&AR::PID),
    F(&AR::GAP),  F(&AR::MAX),  F(&AR::PP),   F(&AR::PI),   F(&AR::PD),
};

template <class Record, size_t N> constexpr size_t FieldBytes(const Field<Record> (&fields)[N]) {
    size_t n = 0;
    for (const Field<Record>& f : fields)
        n += f.byte ? 1 : 2;
    return n;
}

constexpr size_t kModelCodeBytes = ParameterImage::kModelCodeChars;

static_assert(FieldBytes(kSetupFields) + FieldBytes(kAdvancedFields) +
                      ParameterImage::kPidGroups * PidGroupRecord::kBytes +
                      ParameterImage::kPatterns * ProgramPatternRecord::kBytes + kModelCodeBytes +
                      std::tuple_size<decltype(ParameterImage::rawBlock0)>::value +
                      std::tuple_size<decltype(ParameterImage::rawBlock3)>::value ==
                  format1::kBytes,
              "format 1 is the layout already written; it never changes");

template <class Record, size_t N>
void PutFields(std::vector<uint8_t>& out, const Record& record, const Field<Record> (&fields)[N]) {
    for (const Field<Record>& f : fields) {
        if (f.byte) {
            out.push_back(record.*f.byte);
            continue;
        }
        uint8_t two[2];
        le::PutI16(two, record.*f.word);
        out.insert(out.end(), two, two + 2);
    }
}

template <typename Array> void PutBytes(std::vector<uint8_t>& out, const Array& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Reads the encoded set front to back.
class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : m_p(bytes.data()) {}
    template <class Record, size_t N>
    void TakeFields(Record& record, const Field<Record> (&fields)[N]) {
        for (const Field<Record>& f : fields) {
            if (f.byte) {
                record.*f.byte = *m_p++;
                continue;
            }
            record.*f.word = le::GetI16(m_p);
            m_p += 2;
        }
    }
    template <typename Array> void TakeBytes(Array& into) {
        std::copy(m_p, m_p + into.size(), into.begin());
        m_p += into.size();
    }

private:
    const uint8_t* m_p;
};

} // namespace

namespace format1 {

std::vector<uint8_t> Encode(const ParameterImage& image) {
    std::vector<uint8_t> out;
    out.reserve(kBytes);
    PutFields(out, image.systemSetup, kSetupFields);
    PutFields(out, image.advanced, kAdvancedFields);
    for (const PidGroupRecord& pid : image.pid)
        PutBytes(out, pid.bytes);
    for (const ProgramPatternRecord& pattern : image.pattern)
        PutBytes(out, pattern.bytes);
    out.insert(out.end(), image.modelCode.begin(), image.modelCode.begin() + kModelCodeBytes);
    PutBytes(out, image.rawBlock0);
    PutBytes(out, image.rawBlock3);
    return out;
}

std::string Decode(const std::vector<uint8_t>& bytes, ParameterImage& image) {
    if (bytes.size() != kBytes)
        return "the set holds " + std::to_string(bytes.size()) + " bytes, not " +
               std::to_string(kBytes);
    ParameterImage set = image;
    Reader in(bytes);
    in.TakeFields(set.systemSetup, kSetupFields);
    in.TakeFields(set.advanced, kAdvancedFields);
    for (PidGroupRecord& pid : set.pid)
        in.TakeBytes(pid.bytes);
    for (ProgramPatternRecord& pattern : set.pattern)
        in.TakeBytes(pattern.bytes);
    std::array<char, kModelCodeBytes> code{};
    in.TakeBytes(code);
    std::copy(code.begin(), code.end(), set.modelCode.begin());
    set.modelCode[kModelCodeBytes] = '\0';
    in.TakeBytes(set.rawBlock0);
    in.TakeBytes(set.rawBlock3);
    image = set;
    return "";
}

} // namespace format1
