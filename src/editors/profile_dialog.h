#pragma once

#include "editors/pattern_working_state.h"

#include <QDialog>

// The open pattern's working copy drawn against real time, as in the parameter report:
// set value over elapsed time, segment boundaries, the end of the program and the
// time-signal bars. Resizable; it changes nothing.
class ProfileDialog : public QDialog {
    Q_OBJECT
public:
    ProfileDialog(const PatternWorkingState& state, const ParameterImage& image,
                  QWidget* parent = nullptr);
};
