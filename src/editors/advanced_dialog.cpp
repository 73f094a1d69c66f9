#include "editors/advanced_dialog.h"

#include "editors/group_dialog_qt.h"
#include "image/parameter_catalogue.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/enter_cancels_qt.h"
#include "widgets/field_assist_qt.h"
#include "widgets/window_fit_qt.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using namespace groupdialog;

} // namespace

AdvancedDialog::AdvancedDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                               QWidget* parent, TransferContext* link)
    : QDialog(parent), m_messages(messages), m_cursor(cursor),
      m_form(image.advanced, image.systemSetup, messages), m_image(image),
      m_assist(new FieldAssist(messages, this)) {
    setWindowTitle(QStringLiteral("EXPERT PARAMETER"));
    if (link)
        m_form.UseLink(*link);
    BuildControls();
    groupdialog::AssistFields(this, *m_assist, GroupId::Kind::Advanced);
    m_form.Open();
    // An operation's outcome shows when it is over, wherever the window is then.
    m_form.WhenDone([this] { FillControls(); });
    FillControls();
    MakeEnterInDropDownsPressDefault(this);
}

void AdvancedDialog::BuildControls() {
    QGridLayout* g = nullptr;
    // One row of a box: the parameter's help button and its field, from its catalogue row.
    auto add = [&](const char* label, QWidget* box) {
        const ParameterRow& row = *FindRow(GroupId::Kind::Advanced, label);
        QWidget* help =
            MakeHelpButton(QLatin1String(label), row.help ? row.help : "", m_messages, this);
        if (row.encoding != Encoding::Choice) {
            AddRow(g, help, m_edits[label] = MakeEdit(QLatin1String(label), box));
            return;
        }
        std::vector<std::string> items(row.choices.begin(), row.choices.end());
        if (std::string(label) == "DVDV")
            items.push_back(std::string()); // the list's empty entry
        AddRow(g, help, m_combos[label] = MakeCombo(QLatin1String(label), items, true, box));
    };

    QGroupBox* limits = Box(QStringLiteral("Set Value Upper and Lower limits"), g, this);
    add("SV-H", limits);
    add("SV-L", limits);
    QGroupBox* dmv = Box(QString(), g, this);
    add("DMV", dmv);
    QGroupBox* hysteresis = Box(QStringLiteral("Setting of alarm hysteresis allowances"), g, this);
    for (const char* label : {"A1HS", "A2HS", "A3HS", "A4HS"})
        add(label, hysteresis);
    QGroupBox* derivative = Box(QString(), g, this);
    add("DVDV", derivative);
    QGroupBox* tuning = Box(QStringLiteral("Auto-tuning"), g, this);
    add("ATSV", tuning);
    add("PID", tuning);
    QGroupBox* protect = Box(QStringLiteral("Transmission write protect"), g, this);
    add("TDS", protect);

    auto* left = new QVBoxLayout;
    left->addWidget(limits);
    left->addWidget(dmv);
    left->addWidget(hysteresis);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(derivative);
    right->addWidget(tuning);
    right->addWidget(protect);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    const TransferButtons buttons = MakeTransferButtons(this, true);
    connect(buttons.retrieve, &QPushButton::clicked, this, &AdvancedDialog::OnRetrieve);
    connect(buttons.send, &QPushButton::clicked, this, &AdvancedDialog::OnSend);
    connect(buttons.ok, &QPushButton::clicked, this, &AdvancedDialog::OnOk);

    auto* top = new QVBoxLayout(this);
    m_unchosen = groupdialog::MakeUnchosenLine(top, this);
    AddFittingFields(top, columns, buttons.row, this);
    CenterOnParent(this);
}

void AdvancedDialog::TakeTexts() {
    AdvancedTexts& t = m_form.Texts();
    for (const auto& [label, edit] : m_edits)
        t[label] = edit->text().toStdString();
    for (const auto& [label, combo] : m_combos)
        t[label] = combo->currentText().toStdString();
}

void AdvancedDialog::UseReference(const ParameterSet& set) {
    m_set = &set;
    ShowMarks();
}

void AdvancedDialog::FillControls() {
    FillFields();
    ShowMarks();
}

void AdvancedDialog::ShowMarks() {
    groupdialog::ShowUnchosenLine(m_unchosen, m_set, GroupId::Advanced());
    if (!m_set)
        return;
    AdvancedRecord record = m_set->Reference().advanced;
    RecordingMessages quiet;
    AdvancedForm reference(record, m_image.systemSetup, quiet);
    reference.Show();
    const AdvancedTexts mine = m_form.Texts();
    groupdialog::MarkAgainstReference(*m_assist, m_set, GroupId::Advanced(), [&] {
        m_form.Texts() = reference.Texts();
        FillFields();
        m_form.Texts() = mine;
    });
}

void AdvancedDialog::FillFields() {
    const AdvancedTexts& t = m_form.Texts();
    for (const auto& [label, edit] : m_edits)
        edit->setText(Q(t.At(label)));
    for (const auto& [label, combo] : m_combos)
        combo->setCurrentText(Q(t.At(label)));
}

void AdvancedDialog::OnRetrieve() {
    m_form.Retrieve(m_cursor);
    FillControls();
}

void AdvancedDialog::UseQuestions(Questions& questions) {
    m_questions = &questions;
    m_form.UseQuestions(questions);
}

void AdvancedDialog::OnSend() {
    if (!groupdialog::MaySendUnchosen(m_set, m_questions, {GroupId::Advanced()}, this))
        return;
    TakeTexts();
    m_form.Send(m_cursor);
    FillControls();
}

void AdvancedDialog::OnOk() {
    TakeTexts();
    m_form.Ok();
    accept();
}
