#pragma once

#include "editors/sub_editor_qt.h"

// The pattern editor's three sub-editors over the pattern open in it; each lays out its
// fields over the one sub-editor skeleton.

// "Setting of PID group": the PID group number of each of the twenty segments. OK stays
// open at the first wrong field.
class SegmentPidDialog : public SubEditor {
public:
    SegmentPidDialog(PatternWorkingState& state, const ParameterImage& image, Messages& messages,
                     QWidget* parent = nullptr);
};

// "Setting of alarm values": the four alarm values of each segment of the working copy.
// OK stores every field the parser accepts and closes.
class AlarmValuesDialog : public SubEditor {
public:
    AlarmValuesDialog(PatternWorkingState& state, const ParameterImage& image, Messages& messages,
                      QWidget* parent = nullptr);
};

// "Guaranteed soak": on/off and type of the guaranteed soak of each of the twenty
// segments. OK stays open at the first wrong field.
class GuaranteedSoakDialog : public SubEditor {
public:
    GuaranteedSoakDialog(PatternWorkingState& state, const ParameterImage& image,
                         Messages& messages, QWidget* parent = nullptr);
};
