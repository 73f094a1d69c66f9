#include "editors/guaranteed_soak_dialog.h"

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

GuaranteedSoakDialog::GuaranteedSoakDialog(PatternWorkingState& state, const ParameterImage&,
                                           Messages& messages, QWidget* parent)
    : QDialog(parent), m_form(state.segmentBytes), m_messages(messages) {
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
            m_onOff[s - 1] = MakeField("GSORK", s, GsorkListTexts(), this);
            m_type[s - 1] = MakeField("GSTYP", s, GstypListTexts(), this);
            grid->addWidget(m_onOff[s - 1], top + 1, column);
            grid->addWidget(m_type[s - 1], top + 2, column);
        }
    }
    grid->setRowMinimumHeight(3, 10);

    const OkCancelRow buttons = MakeOkCancelRow(this);
    connect(buttons.ok, &QPushButton::clicked, this, &GuaranteedSoakDialog::OnOk);

    auto* layout = new QVBoxLayout(this);
    AddFittingFields(layout, grid, buttons.row, this);

    m_assist = new FieldAssist(messages, this);
    for (int s = 0; s < GuaranteedSoakForm::kSegments; ++s)
        for (QComboBox* field : {m_onOff[s], m_type[s]})
            m_assist->Add(field, QString());
    PushTexts();
    MakeEnterCancel(this);
    CenterOnParent(this);
}

void GuaranteedSoakDialog::UseReference(const ParameterSet& set, const ParameterImage& image,
                                        int n) {
    groupdialog::MarkSubEditor(*m_assist, set, image, n, [&](PatternWorkingState& state) {
        GuaranteedSoakForm shown(state.segmentBytes);
        for (int s = 1; s <= GuaranteedSoakForm::kSegments; ++s) {
            m_onOff[s - 1]->setEditText(QString::fromStdString(shown.OnOffText(s)));
            m_type[s - 1]->setEditText(QString::fromStdString(shown.TypeText(s)));
        }
    });
}

void GuaranteedSoakDialog::PushTexts() {
    for (int s = 1; s <= GuaranteedSoakForm::kSegments; ++s) {
        m_onOff[s - 1]->setEditText(QString::fromStdString(m_form.OnOffText(s)));
        m_type[s - 1]->setEditText(QString::fromStdString(m_form.TypeText(s)));
    }
}

void GuaranteedSoakDialog::ReadTexts() {
    for (int s = 1; s <= GuaranteedSoakForm::kSegments; ++s) {
        m_form.OnOffText(s) = m_onOff[s - 1]->currentText().toStdString();
        m_form.TypeText(s) = m_type[s - 1]->currentText().toStdString();
    }
}

void GuaranteedSoakDialog::OnOk() {
    ReadTexts();
    if (m_form.Collect(m_messages))
        accept();
}
