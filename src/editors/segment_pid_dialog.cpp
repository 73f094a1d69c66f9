#include "editors/pattern_sub_editors_qt.h"

#include "editors/segment_column_forms.h"

#include "editors/group_dialog_qt.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/enter_cancels_qt.h"
#include "widgets/field_assist_qt.h"
#include "widgets/window_fit_qt.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

SegmentPidDialog::SegmentPidDialog(PatternWorkingState& state, const ParameterImage& image,
                                   Messages& messages, QWidget* parent)
    : SubEditor(
          state, image,
          [](PatternWorkingState& state, const ParameterImage&) -> std::unique_ptr<SubEditorForm> {
              return std::make_unique<SegmentPidForm>(state.segmentBytes);
          },
          messages, parent) {
    setWindowTitle(QStringLiteral("Setting of PID group"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->addWidget(new QLabel(QStringLiteral("PID No."), this), 1, 0);
    // Two digits and the drop-down arrow: twenty fields must fit a small screen.
    const int fieldWidth = QFontMetrics(font()).horizontalAdvance(QStringLiteral("00")) + 34;
    for (int s = 1; s <= SegmentPidForm::kSegments; ++s) {
        auto* heading = new QLabel(QString::number(s), this);
        heading->setAlignment(Qt::AlignCenter);
        grid->addWidget(heading, 0, s);

        QComboBox* field = MakeEditableCombo(QStringLiteral("PIDNO_%1").arg(s),
                                             QStringLiteral("PIDNO, segment %1").arg(s), this);
        for (const char* text : PidNumberListTexts())
            field->addItem(QString::fromLatin1(text));
        field->setFixedWidth(fieldWidth);
        grid->addWidget(field, 1, s);
        SetField(static_cast<size_t>(s - 1), field);
    }

    Finish(grid);
}
