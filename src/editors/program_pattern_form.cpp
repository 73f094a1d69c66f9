#include "editors/program_pattern_form.h"

#include "editors/form_fields.h"
#include "transfers/pattern_transfers.h"
#include "values/conversions.h"

#include <cstdint>
#include <tuple>

namespace {

constexpr int kSegments = PatternFields::kSegments;

std::string PvStartText(uint16_t pvst) {
    return pvst == 0 ? "NO" : pvst == 1 ? "YES" : "NONE";
}

} // namespace

uint16_t ParsePatternTime(const std::string& text, uint16_t previous, Messages& messages) {
    if (text == "----")
        return kTimeNotUsed;
    if (const std::optional<int32_t> time = ParseTimeValue(text))
        return static_cast<uint16_t>(*time);
    messages.Show(SegmentRow(seg::TIME).message);
    return previous;
}

ProgramPatternForm::ProgramPatternForm(ParameterImage& image, Messages& messages,
                                       CursorControl& cursor)
    : m_image(image), m_messages(messages), m_cursor(cursor) {}

void ProgramPatternForm::Open() {
    m_state.selectedPattern = 1;
    m_state.selectedTimeSignal = 1;
    LoadPattern(m_image, 1, m_state);
    ShowPatternFields();

    const SystemSetupRecord& setup = m_image.systemSetup;
    const std::optional<std::string> range = RangeBoxText(setup);
    m_rangeBox = range.value_or(std::string());
    if (!range)
        m_messages.Show("Parameter PVU is wrong");
    const std::optional<std::string> decimals = DecimalPointBoxText(EffectiveDecimals(setup));
    m_decimalBox = decimals.value_or(std::string());
    if (!decimals)
        m_messages.Show("Parameter PVD is wrong");
    const std::optional<std::string> unit = TimeUnitBoxText(setup.TMU);
    m_timeUnitBox = unit.value_or(std::string());
    if (!unit)
        m_messages.Show("Parameter TMU is wrong");
}

void ProgramPatternForm::SelectPattern(int n) {
    LoadPattern(m_image, n, m_state);
    m_state.selectedPattern = n;
    ShowPatternFields();
}

bool ProgramPatternForm::SelectTimeSignal(int k) {
    if (k >= 5 && !HasTimeSignalOption(m_image)) {
        m_messages.Show("TQX has no option.");
        return false;
    }
    WaitCursor wait(m_cursor);
    m_state.selectedTimeSignal = k;
    LoadPattern(m_image, m_state.selectedPattern, m_state);
    ShowPatternFields();
    return true;
}

void ProgramPatternForm::Retrieve() {
    WaitCursor wait(m_cursor);
    Link().BeginOperation();
    const int n = m_state.selectedPattern;
    auto held = std::make_shared<ParameterImage>(m_image);
    ParameterImage& image = m_image;
    Operation operation;
    operation.title = "RETRIEVE of " + GroupTitle(GroupId::Pattern(n));
    operation.work = [held, n](TransferContext& link, Messages& tell) {
        // Each failed read has said so; a Cancel says what it stopped.
        const TransferResult result = RetrievePattern(link, *held, n, tell);
        if (result.outcome == TransferOutcome::Cancelled)
            tell.Show(FailureText("RETRIEVE", result));
    };
    operation.apply = [held, &image, n] { CopyGroup(*held, image, GroupId::Pattern(n)); };
    operation.after = [this, n] {
        LoadPattern(m_image, n, m_state);
        ShowPatternFields();
    };
    RunOperation(std::move(operation), m_messages);
}

void ProgramPatternForm::Send() {
    WaitCursor wait(m_cursor);
    CollectPatternFields();
    // Refused entries reappear with the values they kept.
    ShowPatternFields();
    const int n = m_state.selectedPattern;
    StorePattern(m_state, n, m_image);
    Link().BeginOperation();
    Operation operation;
    operation.title = "SEND of " + GroupTitle(GroupId::Pattern(n));
    operation.work = [sent = m_image, n](TransferContext& link, Messages& tell) {
        const TransferResult result = SendPattern(link, sent, n, tell);
        if (result.outcome == TransferOutcome::Cancelled)
            tell.Show(FailureText("SEND", result));
    };
    RunOperation(std::move(operation), m_messages);
}

void ProgramPatternForm::Ok() {
    CollectPatternFields();
    StorePattern(m_state, m_state.selectedPattern, m_image);
}

void ProgramPatternForm::ShowPatternFields() {
    const InputRange range = SelectInputRange(m_image.systemSetup);
    const int k = m_state.selectedTimeSignal;
    UnshownValues& u = m_unshown;
    for (int s = 1; s <= kSegments; ++s) {
        const SegmentRecord segment = m_state.workingCopy.Segment(s);
        const std::string n = std::to_string(s);
        m_fields.sv[s - 1] = FormatRangeValue(range, segment.SV());
        m_fields.time[s - 1] =
            u.ShowTime(SegmentRow(seg::TIME).Label() + n, segment.TIME(), kTimeNotUsed);
        m_fields.on[s - 1] = u.ShowTime("ON" + n, segment.TsOn(k), kTimeNotUsed);
        m_fields.off[s - 1] = u.ShowTime("OFF" + n, segment.TsOff(k), kTimeNotUsed);
    }
    const SegmentByteTable& table = m_state.segmentBytes;
    m_fields.pvstart = PvStartText(table.At(1, SegmentByteTable::PVST));
    m_fields.cyclic = table.At(1, SegmentByteTable::CYCL);
    m_fields.link = ShowField(SegmentRow(seg::LINK), table.At(1, SegmentByteTable::LINK), range, u);
    // The three settings show segment 1; a pattern whose segments differ keeps its rows
    // while the texts are unchanged, instead of taking segment 1's value everywhere.
    const std::pair<SegmentByteTable::Column, std::string> settings[] = {
        {SegmentByteTable::PVST, m_fields.pvstart},
        {SegmentByteTable::CYCL, IntegerText(m_fields.cyclic)},
        {SegmentByteTable::LINK, m_fields.link}};
    for (const auto& [column, text] : settings) {
        bool same = true;
        for (int s = 2; s <= kSegments; ++s)
            same = same && table.At(s, column) == table.At(1, column);
        const std::string key = "column" + std::to_string(column);
        if (same)
            u.Forget(key);
        else
            u.Remember(key, text);
    }
}

// A time left as the row showed it is kept as it is (one of 6000 or more shows empty); any
// other text is read, and a refused one keeps `previous`. The message names the row.
uint16_t ProgramPatternForm::CollectTime(const std::string& row, int s, const std::string& key,
                                         const std::string& text, uint16_t previous) {
    if (m_unshown.Untouched(key + std::to_string(s), text) || text == FormatTime(previous))
        return previous;
    NamedMessages named(m_messages, row + ", segment " + std::to_string(s));
    return ParsePatternTime(text, previous, named);
}

void ProgramPatternForm::CollectPatternFields() {
    const InputRange range = SelectInputRange(m_image.systemSetup);
    const bool emptyScale = RefuseEmptyScale(range, m_messages);
    for (int s = 1; s <= kSegments; ++s) {
        SegmentRecord segment = m_state.workingCopy.Segment(s);
        // Not checked against the input range: the Range box only guides the operator.
        if (!emptyScale) {
            NamedMessages named(m_messages, std::string(SegmentRow(seg::SV).Label()) +
                                                ", segment " + std::to_string(s));
            const int32_t sv = ParseShownRangeValue(range, m_fields.sv[s - 1], segment.SV(), named);
            if (sv < kRangeParseError)
                segment.SetSV(static_cast<int16_t>(sv));
        }
        const char* time = SegmentRow(seg::TIME).Label();
        segment.SetTIME(CollectTime(time, s, time, m_fields.time[s - 1], segment.TIME()));
    }
    const int k = m_state.selectedTimeSignal;
    for (int s = 1; s <= kSegments; ++s) {
        SegmentRecord segment = m_state.workingCopy.Segment(s);
        segment.SetTsOn(k, CollectTime("ON time", s, "ON", m_fields.on[s - 1], segment.TsOn(k)));
        segment.SetTsOff(k, CollectTime("OFF", s, "OFF", m_fields.off[s - 1], segment.TsOff(k)));
    }
    CollectPatternSettings();
}

// PVSTART, CYCLIC OPERATION and LINK belong to the pattern but sit in every segment
// record. They are checked in this order and the first wrong one ends the step.
void ProgramPatternForm::CollectPatternSettings() {
    using T = SegmentByteTable;
    const std::tuple<int, T::Column, std::string> settings[] = {
        {seg::PVST, T::PVST, m_fields.pvstart},
        {seg::CYCL, T::CYCL, IntegerText(m_fields.cyclic)},
        {seg::LINK, T::LINK, m_fields.link}};
    const InputRange range = SelectInputRange(m_image.systemSetup);
    for (const auto& [offset, column, text] : settings) {
        uint16_t value = 0;
        if (!StoreField(SegmentRow(offset), text, value, range, UnshownValues(), m_messages))
            return;
        FillColumn(column, value);
    }
}

void ProgramPatternForm::FillColumn(SegmentByteTable::Column column, uint16_t value) {
    const std::string shown = column == SegmentByteTable::PVST   ? m_fields.pvstart
                              : column == SegmentByteTable::CYCL ? IntegerText(m_fields.cyclic)
                                                                 : m_fields.link;
    if (m_unshown.Untouched("column" + std::to_string(column), shown))
        return;
    for (int s = 1; s <= kSegments; ++s)
        m_state.segmentBytes.At(s, column) = value;
}
