#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The controller's 64 KiB byte memory, with the controller's own write rules: read-only
// blocks, and write protection while WDIS (block 10, byte 16) is 1. Served by tqx-sim
// over Modbus and by SimulatedController in process.
class ControllerMemory {
public:
    static constexpr const char* kDefaultModelCode = "PXT9A1Y2T-0D1R";
    static constexpr uint32_t kWdisAddress = 0x0A10; // WDIS: block 10, byte 16

    ControllerMemory();

    uint8_t* Data() { return m_bytes.data(); }
    const uint8_t* Data() const { return m_bytes.data(); }
    size_t Size() const { return m_bytes.size(); }

    // Blocks 0, 3 and 40-44 are written only by the controller itself.
    static bool IsReadOnlyBlock(int block);

    bool WriteProtected() const;

    // Whether the controller accepts a write of `count` bytes at `address`: no byte in a
    // read-only block, and while WDIS is 1 every byte inside block 10's page.
    bool MayWrite(uint32_t address, uint32_t count) const;

    // Copies bytes in when MayWrite allows it; returns whether it did.
    bool Write(uint32_t address, const uint8_t* bytes, uint32_t count);
    void Read(uint32_t address, uint8_t* bytes, uint32_t count) const;

    // Plausible contents of a controller fresh from the factory: model code (14
    // characters, the ninth "T" for the time-signal option), a K thermocouple input,
    // nine PID groups and three demonstration patterns.
    void LoadFactoryContents(const std::string& modelCode = kDefaultModelCode);

private:
    std::vector<uint8_t> m_bytes;
};
