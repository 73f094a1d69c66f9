#include "editors/alarm_values_form.h"

#include "editors/form_fields.h"
#include "values/conversions.h"

AlarmValuesForm::AlarmValuesForm(ProgramPatternRecord& workingCopy, const SystemSetupRecord& setup)
    : SubEditorForm(kAlarms * kSegments), m_copy(workingCopy), m_setup(setup) {
    Show();
}

void AlarmValuesForm::Show() {
    const InputRange range = SelectInputRange(m_setup);
    for (int s = 1; s <= kSegments; ++s)
        for (int k = 1; k <= kAlarms; ++k)
            Text(k, s) = FormatRangeValue(range, m_copy.Segment(s).Alarm(k));
}

bool AlarmValuesForm::Collect(Messages& messages) {
    const InputRange range = SelectInputRange(m_setup);
    if (RefuseEmptyScale(range, messages))
        return true;
    for (int s = 1; s <= kSegments; ++s) {
        for (int k = 1; k <= kAlarms; ++k) {
            // The parser's messages name no field; the second line says which of the
            // eighty it is.
            NamedMessages named(messages, std::string(SegmentRow(seg::Alarm(k)).Label()) +
                                              ", segment " + std::to_string(s));
            const int32_t r =
                ParseShownRangeValue(range, Text(k, s), m_copy.Segment(s).Alarm(k), named);
            // 20000 and above is the parser's refusal; it never yields less than -32768.
            if (r >= kNoValue && r < kRangeParseError)
                m_copy.Segment(s).SetAlarm(k, static_cast<int16_t>(r));
        }
    }
    return true;
}
