#pragma once

#include "editors/group_form.h"
#include "editors/pattern_working_state.h"
#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/messages.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The working texts of the program pattern dialog, one per control.
struct PatternFields {
    static constexpr int kSegments = ProgramPatternRecord::kSegments;
    std::array<std::string, kSegments> sv, time; // SV and TIME of segments 1..20
    std::array<std::string, kSegments> on, off;  // the selected time signal's times
    std::string pvstart;                         // "YES", "NO" or "NONE"
    std::optional<int32_t> cyclic;               // nothing when the field held no integer
    std::string link;                            // "OFF", "1".."9"
};

// A pattern time text as the editor takes it: "----" is the not-used marker 0x8000;
// otherwise HH from the first two characters and MM from the last two give HH x 60 + MM.
// HH outside 0..99 or MM outside 0..59, or a text with any character besides digits and
// one colon, shows the TIME row's refusal and gives `previous`.
uint16_t ParsePatternTime(const std::string& text, uint16_t previous, Messages& messages);

// The rules of the program pattern editor: one pattern at a time through its working
// state, the texts <-> working state steps with their messages, and the buttons.
class ProgramPatternForm : public EditorForm {
public:
    ProgramPatternForm(ParameterImage& image, Messages& messages, CursorControl& cursor);

    // What the sub-editors and the graph work on while the editor is open.
    PatternWorkingState& State() { return m_state; }
    const ParameterImage& Image() const { return m_image; }

    PatternFields& Fields() { return m_fields; }
    const PatternFields& Fields() const { return m_fields; }
    int SelectedPattern() const { return m_state.selectedPattern; }
    int SelectedTimeSignal() const { return m_state.selectedTimeSignal; }

    // The three read-only boxes; empty when the setting is out of its list.
    const std::string& RangeBox() const { return m_rangeBox; }
    const std::string& DecimalBox() const { return m_decimalBox; }
    const std::string& TimeUnitBox() const { return m_timeUnitBox; }

    // Pattern 1, time signal 1, the fields and the three boxes.
    void Open() override;
    // Reloads pattern n (1..9) from the image: edits since the last OK or SEND are lost.
    void SelectPattern(int n);
    // Time signals 5 and 6 need the time-signal option; without it "TQX has no option."
    // is shown, the selection stays and false is returned. Otherwise reloads the pattern.
    bool SelectTimeSignal(int k);

    // With the wait cursor the form was made with.
    void Retrieve();
    void Send();
    void Retrieve(CursorControl&) override { Retrieve(); }
    void Send(CursorControl&) override { Send(); }
    void Ok() override;

    // Working state -> texts.
    void ShowPatternFields();
    // Texts -> working state; a refused text keeps the value it would have replaced.
    void CollectPatternFields();

private:
    void CollectPatternSettings();
    uint16_t CollectTime(const std::string& row, int s, const std::string& key,
                         const std::string& text, uint16_t previous);
    void FillColumn(SegmentByteTable::Column column, uint16_t value);

    ParameterImage& m_image;
    Messages& m_messages;
    CursorControl& m_cursor;
    PatternWorkingState m_state;
    PatternFields m_fields;
    UnshownValues m_unshown;
    std::string m_rangeBox, m_decimalBox, m_timeUnitBox;
};
