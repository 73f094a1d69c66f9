#include "image/parameter_image.h"

#include <gtest/gtest.h>

TEST(ParameterImage, StartValues) {
    ParameterImage image;
    image.systemSetup.PVT = 5;
    image.advanced.PD = 7;
    image.pid[3].SetWord(2, 9);
    image.pattern[4].bytes[100] = 1;
    image.connected = 1;
    SetStartValues(image);

    EXPECT_EQ(image.systemSetup, SystemSetupRecord{});
    EXPECT_EQ(image.advanced, AdvancedRecord{});
    for (const auto& group : image.pid)
        for (uint8_t b : group.bytes)
            EXPECT_EQ(b, 0);
    for (const auto& pattern : image.pattern) {
        EXPECT_EQ(pattern.Segment(1).Word(seg::SV), 0x8000);
        EXPECT_EQ(pattern.bytes[0], 0x00); // little-endian: low byte first
        EXPECT_EQ(pattern.bytes[1], 0x80);
        for (size_t i = 2; i < pattern.bytes.size(); ++i)
            ASSERT_EQ(pattern.bytes[i], 0) << "byte " << i;
    }
    EXPECT_EQ(image.ModelCode(), std::string(15, '1'));
    EXPECT_EQ(image.modelCode[15], '\0');
    EXPECT_EQ(image.connected, 0);
    EXPECT_FALSE(HasTimeSignalOption(image));
}

TEST(ParameterImage, TimeSignalOptionIsTheNinthCharacter) {
    struct Case {
        const char* code;
        bool option;
    } cases[] = {
        {"PXR4TEY1T-1234", true}, {"PXR4TEY1X-1234", false}, {"TTTTTTTTATTTTT", false},
        {"11111111T11111", true}, {"11111111t11111", false},
    };
    for (const auto& c : cases) {
        ParameterImage image;
        SetStartValues(image);
        for (int i = 0; i < 14; ++i)
            image.modelCode[i] = c.code[i];
        EXPECT_EQ(HasTimeSignalOption(image), c.option) << c.code;
    }
}

TEST(ParameterImage, SegmentAccessorsAreLittleEndianAtTheirOffsets) {
    ProgramPatternRecord pattern;
    SegmentRecord s3 = pattern.Segment(3);
    s3.SetSV(-2);
    s3.SetTIME(0x1234);
    s3.SetAlarm(4, 0x0102);
    s3.SetTsOn(6, 0xA0B0);
    s3.SetTsOff(6, 0x0C0D);
    s3.SetByte(seg::LINK, 9);
    const int base = 2 * 42;
    EXPECT_EQ(pattern.bytes[base + 0], 0xFE);
    EXPECT_EQ(pattern.bytes[base + 1], 0xFF);
    EXPECT_EQ(pattern.bytes[base + 2], 0x34);
    EXPECT_EQ(pattern.bytes[base + 3], 0x12);
    EXPECT_EQ(pattern.bytes[base + 10], 0x02);
    EXPECT_EQ(pattern.bytes[base + 11], 0x01);
    EXPECT_EQ(pattern.bytes[base + 32], 0xB0);
    EXPECT_EQ(pattern.bytes[base + 33], 0xA0);
    EXPECT_EQ(pattern.bytes[base + 34], 0x0D);
    EXPECT_EQ(pattern.bytes[base + 35], 0x0C);
    EXPECT_EQ(pattern.bytes[base + 41], 9);
}
