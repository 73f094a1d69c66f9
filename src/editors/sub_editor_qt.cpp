#include "editors/sub_editor_qt.h"

#include "editors/group_dialog_qt.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/enter_cancels_qt.h"
#include "widgets/field_assist_qt.h"
#include "widgets/window_fit_qt.h"

#include <QPushButton>
#include <QVBoxLayout>

SubEditor::SubEditor(PatternWorkingState& state, const ParameterImage& image, FormMaker makeForm,
                     Messages& messages, QWidget* parent)
    : QDialog(parent), m_makeForm(std::move(makeForm)), m_form(m_makeForm(state, image)),
      m_messages(messages), m_setup(image.systemSetup) {}

void SubEditor::SetField(size_t index, QWidget* field) {
    if (m_fields.size() <= index)
        m_fields.resize(index + 1);
    m_fields[index] = field;
}

void SubEditor::Finish(QLayout* fields) {
    const OkCancelRow buttons = MakeOkCancelRow(this);
    connect(buttons.ok, &QPushButton::clicked, this, &SubEditor::OnOk);
    auto* layout = new QVBoxLayout(this);
    AddFittingFields(layout, fields, buttons.row, this);

    // Each field's help and what it takes, in the units in force, on F1 and as its tooltip.
    m_assist = new FieldAssist(m_messages, this);
    groupdialog::AssistFields(this, *m_assist, GroupId::Kind::Pattern);
    groupdialog::ShowRanges(this, *m_assist, GroupId::Kind::Pattern, m_setup);
    Fill(m_form->Texts());
    MakeEnterCancel(this);
    CenterOnParent(this);
}

void SubEditor::Fill(const std::vector<std::string>& texts) {
    for (size_t i = 0; i < m_fields.size() && i < texts.size(); ++i)
        SetFieldText(m_fields[i], Q(texts[i]));
}

void SubEditor::UseReference(const ParameterSet& set, const ParameterImage& image, int n) {
    groupdialog::MarkSubEditor(*m_assist, set, image, n, [&](PatternWorkingState& state) {
        Fill(m_makeForm(state, image)->Texts());
    });
}

void SubEditor::OnOk() {
    std::vector<std::string>& texts = m_form->Texts();
    for (size_t i = 0; i < m_fields.size() && i < texts.size(); ++i)
        texts[i] = FieldText(m_fields[i]).toStdString();
    if (m_form->Collect(m_messages))
        accept();
}
