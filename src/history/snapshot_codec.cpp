#include "history/snapshot_codec.h"

#include "image/little_endian.h"
#include "image/parameter_catalogue.h"

#include <algorithm>

namespace {

constexpr size_t kModelCodeBytes = ParameterImage::kModelCodeChars;

void Put(std::vector<uint8_t>& out, const ParameterRow& row, uint16_t value) {
    if (row.Bytes() == 1) {
        out.push_back(static_cast<uint8_t>(value));
        return;
    }
    uint8_t two[2];
    le::Put16(two, value);
    out.insert(out.end(), two, two + 2);
}

template <typename Array> void PutBytes(std::vector<uint8_t>& out, const Array& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

size_t RowBytes(const std::vector<ParameterRow>& rows) {
    size_t n = 0;
    for (const ParameterRow& row : rows)
        n += static_cast<size_t>(row.Bytes());
    return n;
}

size_t SetBytes() {
    return RowBytes(SystemSetupRows()) + RowBytes(AdvancedRows()) +
           ParameterImage::kPidGroups * PidGroupRecord::kBytes +
           ParameterImage::kPatterns * ProgramPatternRecord::kBytes + kModelCodeBytes +
           std::tuple_size<decltype(ParameterImage::rawBlock0)>::value +
           std::tuple_size<decltype(ParameterImage::rawBlock3)>::value;
}

// Reads the encoded set front to back.
class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : m_p(bytes.data()) {}
    uint16_t Take(const ParameterRow& row) {
        const uint16_t value = row.Bytes() == 1 ? m_p[0] : le::Get16(m_p);
        m_p += row.Bytes();
        return value;
    }
    template <typename Array> void TakeBytes(Array& into) {
        std::copy(m_p, m_p + into.size(), into.begin());
        m_p += into.size();
    }

private:
    const uint8_t* m_p;
};

} // namespace

std::vector<uint8_t> EncodeSet(const ParameterImage& image) {
    std::vector<uint8_t> out;
    out.reserve(SetBytes());
    for (const ParameterRow& row : SystemSetupRows())
        Put(out, row, RawValue(image.systemSetup, row));
    for (const ParameterRow& row : AdvancedRows())
        Put(out, row, RawValue(image.advanced, row));
    for (const PidGroupRecord& pid : image.pid)
        PutBytes(out, pid.bytes);
    for (const ProgramPatternRecord& pattern : image.pattern)
        PutBytes(out, pattern.bytes);
    out.insert(out.end(), image.modelCode.begin(), image.modelCode.begin() + kModelCodeBytes);
    PutBytes(out, image.rawBlock0);
    PutBytes(out, image.rawBlock3);
    return out;
}

std::string DecodeSet(int format, const std::vector<uint8_t>& bytes, ParameterImage& image) {
    if (format != kSetFormat)
        return "the set is in format " + std::to_string(format) + ", which this version (" +
               std::to_string(kSetFormat) + ") cannot read";
    if (bytes.size() != SetBytes())
        return "the set holds " + std::to_string(bytes.size()) + " bytes, not " +
               std::to_string(SetBytes());
    ParameterImage set = image;
    Reader in(bytes);
    for (const ParameterRow& row : SystemSetupRows())
        SetRawValue(set.systemSetup, row, in.Take(row));
    for (const ParameterRow& row : AdvancedRows())
        SetRawValue(set.advanced, row, in.Take(row));
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

uint64_t ContentHash(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : bytes) {
        hash ^= b;
        hash *= 1099511628211ull;
    }
    return hash;
}
