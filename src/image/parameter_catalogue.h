#pragma once

#include "image/group_id.h"
#include "image/records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ParameterImage;

// Every parameter the loader knows, described once: its name, the window's label, where
// it lives in its record, its controller block and the parameter file, how its stored
// integer is read, the limits its editor accepts and its help text. The block layouts,
// the file layout, the listing, the report and the editors' loops are made from these
// tables.

enum class FieldWidth : uint8_t { U8, I16, U16 };

// How a stored integer is read.
enum class Encoding : uint8_t {
    Integer,         // as it is
    OneDecimal,      // shown as stored / divisor with one decimal
    Seconds,         // tenths of a second, shown and typed as whole seconds
    Time,            // first part x 60 + second part, as TMU says: hr:min or min:sec
    PatternTime,     // a time, or 0x8000 for one not used ("----")
    RangeAbsolute,   // hundredths of a percent of the input span, from the range base
    RangeDifference, // the same, measured from 0
    AnalogueScale,   // a range value, or one decimal of percent while the output's source is MV
    Choice,          // the position of a text in the row's list
    InputType,       // the input type table
    AlarmType,       // the alarm type table
    Link,            // 0 OFF, else the pattern that follows
};

enum class Unit : uint8_t { None, Percent, Second, Engineering };

// What a value belongs to: its group; one segment of a pattern; or the whole pattern,
// though the controller keeps a copy of it in every segment record.
enum class Scope : uint8_t { Group, Segment, Pattern };

// A step the store takes beyond the encoding's own.
enum class StoreRule : uint8_t {
    None,
    LargestWord,  // a typed value one step above the largest word is stored as the largest
    PlainDecimal, // only the number's own decimal text is taken ("7", not "07" or " 7")
};

struct ParameterRow {
    const char* mnemonic; // the controller's name, and the parameter file's row label
    const char* label;    // the window's label; nullptr where no window shows the parameter
    FieldWidth width;
    int32_t block; // system setup and advanced: the controller block; PID groups and
                   // segments: 0, the group's own blocks
    int offset;    // byte offset in the block; PID groups: in the 24-byte record;
                   // segments: in the 42-byte segment record
    int fileRow;   // row in the parameter file (segments: below the pattern's first
                   // row); 0 for a parameter the file does not carry
    Encoding encoding;
    int32_t lo = 0, hi = 0;           // the stored values the editor accepts
    int divisor = 1;                  // OneDecimal: the stored value per shown unit
    Unit unit = Unit::None;           // of the shown value
    std::vector<const char*> choices; // Choice: the texts, code = position
    const char* message = nullptr;    // the editor's refusal
    const char* help = nullptr;       // the help button's text
    Scope scope = Scope::Group;
    StoreRule rule = StoreRule::None;
    // AnalogueScale: the output (1, 2) whose source says how the value reads, and the
    // refusal while that source is MV.
    int output = 0;
    const char* mvMessage = nullptr;
    // Where the refusal's second line does not follow from the encoding: what it takes.
    const char* takes = nullptr;
    // Choice: a code outside the list leaves the field's text as it was (true), or shows
    // the last text (false: a list of two, 0 and any other code).
    bool unlistedKeepsText = false;

    // Members of the named records; null for the PID group and segment rows.
    uint8_t SystemSetupRecord::*setupU8 = nullptr;
    int16_t SystemSetupRecord::*setupI16 = nullptr;
    uint8_t AdvancedRecord::*advancedU8 = nullptr;
    int16_t AdvancedRecord::*advancedI16 = nullptr;

    // The label where there is one, else the mnemonic.
    const char* Label() const { return label ? label : mnemonic; }
    // "AO1T (A01T)" where the window's label differs, else the mnemonic.
    std::string DisplayName() const;
    int Bytes() const { return width == FieldWidth::U8 ? 1 : 2; }
};

// The rows of each kind of group, in the order of the controller's record.
const std::vector<ParameterRow>& SystemSetupRows();
const std::vector<ParameterRow>& AdvancedRows();
const std::vector<ParameterRow>& PidGroupRows();
const std::vector<ParameterRow>& SegmentRows(); // in the parameter file's row order
const std::vector<ParameterRow>& RowsOf(GroupId::Kind kind);

// The row of PID record word `word`, and of the segment record field at byte `offset`.
const ParameterRow& PidRow(int word);
const ParameterRow& SegmentRow(int offset);
// Whether the row's value is measured in the input's range.
bool IsRangeValue(const ParameterRow& row);

// The row named `name` (its mnemonic, or failing that its label) in a group's table.
const ParameterRow* FindRow(GroupId::Kind kind, const std::string& name);
// The row of the system setup or advanced member.
const ParameterRow& RowOf(uint8_t SystemSetupRecord::*member);
const ParameterRow& RowOf(int16_t SystemSetupRecord::*member);
const ParameterRow& RowOf(uint8_t AdvancedRecord::*member);
const ParameterRow& RowOf(int16_t AdvancedRecord::*member);

// The help text of the parameter a window labels `name` (or whose mnemonic it is); empty
// for a parameter that has none.
std::string HelpText(const std::string& name);

// The stored 16-bit pattern of a row's field in group `group` (segment 1..20 for the
// segment rows), and the same taken as the signed or unsigned number its width says.
uint16_t RawValue(const ParameterImage& image, GroupId group, const ParameterRow& row,
                  int segment = 0);
int32_t StoredValue(const ParameterImage& image, GroupId group, const ParameterRow& row,
                    int segment = 0);
// An 8-bit field takes the low byte.
void SetRawValue(ParameterImage& image, GroupId group, const ParameterRow& row, uint16_t value,
                 int segment = 0);
// The same on the two named records alone.
uint16_t RawValue(const SystemSetupRecord& record, const ParameterRow& row);
uint16_t RawValue(const AdvancedRecord& record, const ParameterRow& row);
void SetRawValue(SystemSetupRecord& record, const ParameterRow& row, uint16_t value);
void SetRawValue(AdvancedRecord& record, const ParameterRow& row, uint16_t value);
// Whether `value` can be stored in the field: 0..255 for a byte, 0..65535 for an unsigned
// word, and for a signed word its value or its 16-bit pattern (-32768..65535).
bool FitsField(const ParameterRow& row, int64_t value);

// Rules that belong to one parameter each.

// The station numbers a controller answers at; 0 is the broadcast address.
constexpr int kMaxStation = 31;
// A station port 1 can follow a controller to: 1..31.
constexpr bool IsFollowableStation(int station) {
    return station >= 1 && station <= kMaxStation;
}
// AOnF and AOnB (n = 1, 2) are percent of output while AOnT says MV (2), else range
// values of the input.
bool AnalogueOutputIsMv(const SystemSetupRecord& setup, int output);
constexpr int kAnalogueSourceMv = 2;
// A value typed for a LargestWord row: one step above the largest signed word (KnL's
// 327.7 %, 32770 hundredths) does not fit 16 bits and is stored as the largest word. Every
// other value is returned as it is, for the range check.
int32_t ClampedToWord(int32_t value);
// The integral time I is stored in tenths of a second and shown in whole seconds.
constexpr int32_t IntegralSeconds(uint16_t stored) {
    return stored / 10;
}
constexpr uint16_t IntegralStored(int32_t seconds) {
    return static_cast<uint16_t>(seconds * 10);
}
// A time not used in a pattern, and a range value with no value: both show "----".
constexpr uint16_t kTimeNotUsed = 0x8000;
constexpr int16_t kNoValue = -32768;
