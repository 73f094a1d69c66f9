#include "editors/pattern_sub_editors_qt.h"

#include "editors/alarm_values_form.h"

#include "editors/group_dialog_qt.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/enter_cancels_qt.h"
#include "widgets/field_assist_qt.h"
#include "widgets/window_fit_qt.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Grid rows and columns. The group box of the expanded alarms lies under rows 3-6 and
// columns 0-22, so that ALARM3 and ALARM4 line up with the rows above them.
constexpr int kHeadingRow = 0;
constexpr int kBoxTitleRow = 3;
constexpr int kBoxBottomRow = 6;
constexpr int kLabelColumn = 1;
constexpr int kFirstFieldColumn = 2;
constexpr int kLastColumn = kFirstFieldColumn + AlarmValuesForm::kSegments;

int RowOfAlarm(int k) {
    return k <= 2 ? k : k + 1; // ALARM1, ALARM2 in rows 1-2; ALARM3, ALARM4 in rows 4-5
}

} // namespace

AlarmValuesDialog::AlarmValuesDialog(PatternWorkingState& state, const ParameterImage& image,
                                     Messages& messages, QWidget* parent)
    : SubEditor(
          state, image,
          [](PatternWorkingState& state,
             const ParameterImage& image) -> std::unique_ptr<SubEditorForm> {
              return std::make_unique<AlarmValuesForm>(state.workingCopy, image.systemSetup);
          },
          messages, parent) {
    setWindowTitle(QStringLiteral("Setting of alarm values"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    // Added first, so the fields laid over it are drawn on top.
    auto* box = new QGroupBox(QStringLiteral("Expanded alarm output(Option)"), this);
    grid->addWidget(box, kBoxTitleRow, 0, kBoxBottomRow - kBoxTitleRow + 1, kLastColumn + 1);
    const int titleHeight = QFontMetrics(box->font()).height() + 4;
    grid->setRowMinimumHeight(kBoxTitleRow, titleHeight);
    grid->setRowMinimumHeight(kBoxBottomRow, 4);
    grid->setColumnMinimumWidth(0, 4);
    grid->setColumnMinimumWidth(kLastColumn, 4);

    // The widest value and the field's own margins: eighty fields fit a full-HD screen at
    // large fonts.
    const int fieldWidth = QFontMetrics(font()).horizontalAdvance(QStringLiteral("-1999.9")) + 8;
    for (int s = 1; s <= AlarmValuesForm::kSegments; ++s) {
        auto* heading = new QLabel(QString::number(s), this);
        heading->setAlignment(Qt::AlignCenter);
        grid->addWidget(heading, kHeadingRow, kFirstFieldColumn + s - 1);
    }
    for (int k = 1; k <= AlarmValuesForm::kAlarms; ++k) {
        grid->addWidget(new QLabel(QStringLiteral("ALARM%1").arg(k), this), RowOfAlarm(k),
                        kLabelColumn);
        for (int s = 1; s <= AlarmValuesForm::kSegments; ++s) {
            auto* field = new QLineEdit(this);
            field->setObjectName(QStringLiteral("ALM%1_%2").arg(k).arg(s));
            field->setAccessibleName(QStringLiteral("ALARM%1, segment %2").arg(k).arg(s));
            field->setFixedWidth(fieldWidth);
            grid->addWidget(field, RowOfAlarm(k), kFirstFieldColumn + s - 1);
            SetField(AlarmValuesForm::Index(k, s), field);
        }
    }

    Finish(grid);
}
