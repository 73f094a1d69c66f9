#include "editors/segment_pid_dialog.h"

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

SegmentPidDialog::SegmentPidDialog(PatternWorkingState& state, const ParameterImage&,
                                   Messages& messages, QWidget* parent)
    : QDialog(parent), m_form(state.segmentBytes), m_messages(messages) {
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
        m_fields[s - 1] = field;
    }

    const OkCancelRow buttons = MakeOkCancelRow(this);
    connect(buttons.ok, &QPushButton::clicked, this, &SegmentPidDialog::OnOk);

    auto* layout = new QVBoxLayout(this);
    AddFittingFields(layout, grid, buttons.row, this);

    m_assist = new FieldAssist(messages, this);
    for (QComboBox* field : m_fields)
        m_assist->Add(field, QString());
    PushTexts();
    MakeEnterCancel(this);
    CenterOnParent(this);
}

void SegmentPidDialog::UseReference(const ParameterSet& set, const ParameterImage& image, int n) {
    groupdialog::MarkSubEditor(*m_assist, set, image, n, [&](PatternWorkingState& state) {
        SegmentPidForm shown(state.segmentBytes);
        for (int s = 1; s <= SegmentPidForm::kSegments; ++s)
            m_fields[s - 1]->setEditText(QString::fromStdString(shown.Text(s)));
    });
}

void SegmentPidDialog::PushTexts() {
    for (int s = 1; s <= SegmentPidForm::kSegments; ++s)
        m_fields[s - 1]->setEditText(QString::fromStdString(m_form.Text(s)));
}

void SegmentPidDialog::ReadTexts() {
    for (int s = 1; s <= SegmentPidForm::kSegments; ++s)
        m_form.Text(s) = m_fields[s - 1]->currentText().toStdString();
}

void SegmentPidDialog::OnOk() {
    ReadTexts();
    if (m_form.Collect(m_messages))
        accept();
}
