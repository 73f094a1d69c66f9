#include "editors/pattern_sub_editors_qt.h"

#include "editors/segment_column_forms.h"

#include "editors/group_dialog_qt.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/enter_cancels_qt.h"
#include "widgets/field_assist_qt.h"
#include "widgets/window_fit_qt.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kPerBlock = 10; // segments 1-10 above, 11-20 below

template <size_t N>
QComboBox* MakeField(const char* mnemonic, int segment, const std::array<const char*, N>& list,
                     QWidget* parent) {
    QComboBox* field = MakeEditableCombo(
        QStringLiteral("%1_%2").arg(QLatin1String(mnemonic)).arg(segment),
        QStringLiteral("%1, segment %2").arg(QLatin1String(mnemonic)).arg(segment), parent);
    for (const char* text : list)
        field->addItem(QString::fromLatin1(text));
    field->setMinimumContentsLength(4);
    field->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return field;
}

} // namespace

GuaranteedSoakDialog::GuaranteedSoakDialog(PatternWorkingState& state, const ParameterImage& image,
                                           Messages& messages, QWidget* parent)
    : SubEditor(
          state, image,
          [](PatternWorkingState& state, const ParameterImage&) -> std::unique_ptr<SubEditorForm> {
              return std::make_unique<GuaranteedSoakForm>(state.segmentBytes);
          },
          messages, parent) {
    setWindowTitle(QStringLiteral("Guaranteed soak"));

    // Each block: a row of segment numbers, the on/off row, the type row under it.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    for (int block = 0; block < 2; ++block) {
        const int top = block * 4; // a blank row between the blocks
        grid->addWidget(new QLabel(QStringLiteral("Yes/No"), this), top + 1, 0);
        grid->addWidget(new QLabel(QStringLiteral("Type"), this), top + 2, 0);
        for (int column = 1; column <= kPerBlock; ++column) {
            const int s = block * kPerBlock + column;
            auto* heading = new QLabel(QString::number(s), this);
            heading->setAlignment(Qt::AlignCenter);
            grid->addWidget(heading, top, column);
            QComboBox* onOff = MakeField("GSORK", s, GsorkListTexts(), this);
            QComboBox* type = MakeField("GSTYP", s, GstypListTexts(), this);
            SetField(GuaranteedSoakForm::OnOffIndex(s), onOff);
            SetField(GuaranteedSoakForm::TypeIndex(s), type);
            grid->addWidget(onOff, top + 1, column);
            grid->addWidget(type, top + 2, column);
        }
    }
    grid->setRowMinimumHeight(3, 10);

    Finish(grid);
}
