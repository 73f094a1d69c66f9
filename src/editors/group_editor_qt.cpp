#include "editors/group_editor_qt.h"

#include "editors/group_dialog_qt.h"
#include "image/parameter_catalogue.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/enter_cancels_qt.h"
#include "widgets/field_assist_qt.h"
#include "widgets/window_fit_qt.h"
#include "widgets/word_elided_label_qt.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

GroupEditor::GroupEditor(EditorForm& form, GroupId::Kind kind, Messages& messages,
                         CursorControl& cursor, const ParameterImage& image, QWidget* parent,
                         TransferContext* link)
    : QDialog(parent), m_messages(messages), m_cursor(cursor), m_image(image), m_form(form),
      m_kind(kind), m_link(link), m_assist(new FieldAssist(messages, this)) {}

QHBoxLayout* GroupEditor::TransferButtonRow(bool right) {
    const groupdialog::TransferButtons buttons = groupdialog::MakeTransferButtons(this, right);
    connect(buttons.retrieve, &QPushButton::clicked, this, &GroupEditor::OnRetrieve);
    connect(buttons.send, &QPushButton::clicked, this, &GroupEditor::OnSend);
    connect(buttons.ok, &QPushButton::clicked, this, &GroupEditor::OnOk);
    return buttons.row;
}

void GroupEditor::Finish(QLayout* fields, QLayout* buttons) {
    auto* top = new QVBoxLayout(this);
    m_unchosen = groupdialog::MakeUnchosenLine(top, this);
    m_lastCommand = new WordElidedLabel(this);
    m_lastCommand->setObjectName(QStringLiteral("lastCommand"));
    m_lastCommand->setAccessibleName(QStringLiteral("Last command"));
    m_lastCommand->hide();
    auto* bottom = new QVBoxLayout;
    bottom->addLayout(buttons);
    bottom->addWidget(m_lastCommand);
    AddFittingFields(top, fields, bottom, this);
    CenterOnParent(this);

    if (m_link)
        m_form.UseLink(*m_link);
    groupdialog::AssistFields(this, *m_assist, m_kind);
    m_form.Open();
    // An operation's outcome shows when it is over, wherever the window is then.
    m_form.WhenDone([this] { FillControls(); });
    FillControls();
    MakeEnterInDropDownsPressDefault(this);
}

void GroupEditor::UseReference(const ParameterSet& set) {
    m_set = &set;
    ShowMarks();
}

void GroupEditor::UseQuestions(Questions& questions) {
    m_questions = &questions;
    m_form.UseQuestions(questions);
}

void GroupEditor::FillControls() {
    FillFields();
    groupdialog::ShowRanges(this, *m_assist, m_kind, m_image.systemSetup);
    ShowMarks();
    ShowLastCommand();
}

void GroupEditor::ShowLastCommand() {
    if (!m_set || !m_before || m_set->LastCommand() == *m_before)
        return;
    m_lastCommand->SetFullText(QString::fromStdString(m_set->LastCommand()));
    m_lastCommand->show();
}

void GroupEditor::ShowMarks() {
    groupdialog::ShowUnchosenLine(m_unchosen, m_set, Group());
    if (!m_set)
        return;
    groupdialog::MarkAgainstReference(*m_assist, m_set, Group(),
                                      [&] { FillReferenceFields(*m_set); });
}

void GroupEditor::OnRetrieve() {
    m_before = m_set ? m_set->LastCommand() : std::string();
    m_form.Retrieve(m_cursor);
    FillControls();
}

void GroupEditor::OnSend() {
    if (!groupdialog::MaySendUnchosen(m_set, m_questions, SentGroups(), this))
        return;
    TakeTexts();
    m_before = m_set ? m_set->LastCommand() : std::string();
    m_form.Send(m_cursor);
    FillControls();
}

void GroupEditor::OnOk() {
    TakeTexts();
    m_form.Ok();
    AfterOk();
    accept();
}

LabelledEditor::LabelledEditor(GroupForm& form, GroupId::Kind kind, Messages& messages,
                               CursorControl& cursor, const ParameterImage& image, QWidget* parent,
                               TransferContext* link)
    : GroupEditor(form, kind, messages, cursor, image, parent, link), m_form(form), m_kind(kind) {}

std::vector<QWidget*> LabelledEditor::Fields() const {
    std::vector<QWidget*> fields;
    for (QWidget* w : findChildren<QWidget*>()) {
        if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w))
            continue;
        const ParameterRow* row = FindRow(m_kind, w->objectName().toStdString());
        if (row && w->objectName() == QLatin1String(row->Label()))
            fields.push_back(w);
    }
    return fields;
}

void LabelledEditor::TakeTexts() {
    FieldTexts& texts = m_form.Texts();
    for (QWidget* w : Fields())
        texts[w->objectName().toStdString()] = FieldText(w).toStdString();
}

void LabelledEditor::FillFields() {
    const FieldTexts& texts = m_form.Texts();
    for (QWidget* w : Fields())
        SetFieldText(w, Q(texts.At(w->objectName().toStdString())));
}

void LabelledEditor::FillReferenceFields(const ParameterSet& set) {
    const FieldTexts mine = m_form.Texts();
    m_form.Texts() = ReferenceTexts(set);
    FillFields();
    m_form.Texts() = mine;
}

void LabelledEditor::AfterOk() {
    m_form.Show();
    FillFields();
}
