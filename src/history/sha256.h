#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// SHA-256 (FIPS 180-4), for the history's chain of snapshots.
using Digest = std::array<uint8_t, 32>;

class Sha256 {
public:
    Sha256();
    Sha256& Add(const uint8_t* bytes, size_t count);
    Sha256& Add(const std::vector<uint8_t>& bytes) { return Add(bytes.data(), bytes.size()); }
    Sha256& Add(const std::string& text) {
        return Add(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
    Sha256& Add(const Digest& digest) { return Add(digest.data(), digest.size()); }
    Digest Finish();

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> m_state;
    std::array<uint8_t, 64> m_buffer{};
    size_t m_buffered = 0;
    uint64_t m_length = 0;
};

// 64 lower-case hexadecimal digits, and back (false for anything else).
std::string HexOf(const Digest& digest);
bool DigestOfHex(const std::string& hex, Digest& digest);
