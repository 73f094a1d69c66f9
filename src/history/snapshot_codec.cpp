#include "history/snapshot_codec.h"

#include "history/snapshot_format1.h"
#include "image/controller_blocks.h"
#include "image/group_layouts.h"
#include "image/little_endian.h"

#include <algorithm>

namespace {

constexpr size_t kCodeBlockBytes = blocks::Bytes(blocks::kModelCode);
constexpr size_t kCodeRestBytes = ParameterImage::kModelCodeChars - kCodeBlockBytes;
constexpr size_t kEntryHeader = 4;

static_assert(std::tuple_size<decltype(ParameterImage::rawBlock0)>::value == blocks::Bytes(0));
static_assert(std::tuple_size<decltype(ParameterImage::rawBlock3)>::value == blocks::Bytes(3));
static_assert(PidGroupRecord::kBytes == blocks::Bytes(blocks::kPidBlocks[0]));
static_assert(ProgramPatternRecord::kBytes == 2 * blocks::kPatternBlockBytes);

// What of the image format 2 keeps in blocks of its own making: the two named groups laid
// out as the controller holds them, and the model code split at the end of block 40.
struct MadeBlocks {
    Block12 b12{};
    Block9 b9{};
    Block10 b10{};
    Block13 b13{};
    std::array<uint8_t, kCodeBlockBytes> code{};
    std::array<uint8_t, kCodeRestBytes> codeRest{};
};

// Where one entry's bytes are while a set is encoded or decoded.
struct Place {
    uint16_t block;
    uint8_t* bytes;
    size_t length;
};

template <typename Array> Place At(int32_t block, Array& bytes) {
    return {static_cast<uint16_t>(block), bytes.data(), bytes.size()};
}

// Every entry of format 2 in its stored order.
std::vector<Place> PlacesOf(ParameterImage& image, MadeBlocks& made) {
    std::vector<Place> places = {
        At(0, image.rawBlock0),
        At(3, image.rawBlock3),
        At(blocks::kSystemSetupA, made.b12),
        At(blocks::kSystemSetupB, made.b9),
        At(blocks::kAdvancedA, made.b10),
        At(blocks::kAdvancedB, made.b13),
    };
    for (int g = 1; g <= ParameterImage::kPidGroups; ++g)
        places.push_back(
            At(blocks::kPidBlocks[g - 1], image.pid[static_cast<size_t>(g - 1)].bytes));
    constexpr auto half = static_cast<size_t>(blocks::kPatternBlockBytes);
    for (int n = 1; n <= ParameterImage::kPatterns; ++n) {
        uint8_t* record = image.pattern[static_cast<size_t>(n - 1)].bytes.data();
        places.push_back({static_cast<uint16_t>(blocks::PatternA(n)), record, half});
        places.push_back({static_cast<uint16_t>(blocks::PatternB(n)), record + half, half});
    }
    places.push_back(At(blocks::kModelCode, made.code));
    places.push_back(At(kLoaderEntry, made.codeRest));
    return places;
}

std::vector<uint8_t> EncodeBlocks(const ParameterImage& image) {
    ParameterImage own = image;
    MadeBlocks made;
    SystemSetupIntoBlocks(own.systemSetup, made.b12, made.b9);
    AdvancedIntoBlocks(own.advanced, made.b10, made.b13);
    std::copy_n(own.modelCode.begin(), kCodeBlockBytes, made.code.begin());
    std::copy_n(own.modelCode.begin() + kCodeBlockBytes, kCodeRestBytes, made.codeRest.begin());
    std::vector<uint8_t> out;
    for (const Place& p : PlacesOf(own, made)) {
        uint8_t header[kEntryHeader];
        le::Put16(header, p.block);
        le::Put16(header + 2, static_cast<uint16_t>(p.length));
        out.insert(out.end(), header, header + kEntryHeader);
        out.insert(out.end(), p.bytes, p.bytes + p.length);
    }
    return out;
}

std::string DecodeBlocks(const std::vector<uint8_t>& bytes, ParameterImage& image) {
    std::vector<SetEntry> stored;
    if (std::string why = SplitSet(bytes, stored); !why.empty())
        return why;
    ParameterImage set = image;
    MadeBlocks made;
    const std::vector<Place> places = PlacesOf(set, made);
    // As many entries as blocks, and each block found: no block twice, none unknown.
    if (stored.size() != places.size())
        return "the set holds " + std::to_string(stored.size()) + " blocks, not " +
               std::to_string(places.size());
    for (const Place& p : places) {
        const auto e = std::find_if(stored.begin(), stored.end(),
                                    [&](const SetEntry& s) { return s.block == p.block; });
        if (e == stored.end())
            return "the set lacks block " + std::to_string(p.block);
        if (e->bytes.size() != p.length)
            return "block " + std::to_string(p.block) + " holds " +
                   std::to_string(e->bytes.size()) + " bytes, not " + std::to_string(p.length);
        std::copy(e->bytes.begin(), e->bytes.end(), p.bytes);
    }
    SystemSetupFromBlocks(made.b12, made.b9, set.systemSetup);
    AdvancedFromBlock10(made.b10, set.advanced);
    AdvancedFromBlock13(made.b13, set.advanced);
    std::copy(made.code.begin(), made.code.end(), set.modelCode.begin());
    std::copy(made.codeRest.begin(), made.codeRest.end(), set.modelCode.begin() + kCodeBlockBytes);
    set.modelCode[ParameterImage::kModelCodeChars] = '\0';
    image = set;
    return "";
}

} // namespace

std::vector<uint8_t> EncodeSet(const ParameterImage& image, int format) {
    return format == 1 ? format1::Encode(image) : EncodeBlocks(image);
}

std::string DecodeSet(int format, const std::vector<uint8_t>& bytes, ParameterImage& image) {
    if (format == 1)
        return format1::Decode(bytes, image);
    if (format == kSetFormat)
        return DecodeBlocks(bytes, image);
    return "the set is in format " + std::to_string(format) +
           ", which this version cannot read (it reads formats 1 to " + std::to_string(kSetFormat) +
           ")";
}

std::string SplitSet(const std::vector<uint8_t>& bytes, std::vector<SetEntry>& entries) {
    std::vector<SetEntry> split;
    for (size_t at = 0; at < bytes.size();) {
        if (bytes.size() - at < kEntryHeader)
            return "the set ends inside an entry's header at byte " + std::to_string(at);
        SetEntry e;
        e.block = le::Get16(&bytes[at]);
        const size_t length = le::Get16(&bytes[at + 2]);
        at += kEntryHeader;
        if (bytes.size() - at < length)
            return "block " + std::to_string(e.block) + " is cut short at byte " +
                   std::to_string(bytes.size());
        e.bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
        split.push_back(std::move(e));
    }
    entries = std::move(split);
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
