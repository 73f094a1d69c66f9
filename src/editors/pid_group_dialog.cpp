#include "editors/pid_group_dialog.h"

#include "editors/group_dialog_qt.h"
#include "image/parameter_catalogue.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/enter_cancels_qt.h"
#include "widgets/field_assist_qt.h"
#include "widgets/window_fit_qt.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

std::string S(const QString& text) {
    return text.toStdString();
}

// SEND writes all nine groups.
std::vector<GroupId> AllPidGroups() {
    std::vector<GroupId> groups;
    for (int g = 1; g <= ParameterImage::kPidGroups; ++g)
        groups.push_back(GroupId::Pid(g));
    return groups;
}

} // namespace

PidGroupDialog::PidGroupDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                               QWidget* parent, TransferContext* link)
    : QDialog(parent), m_form(image, messages), m_messages(messages), m_cursor(cursor),
      m_image(image), m_assist(new FieldAssist(messages, this)) {
    setWindowTitle(QStringLiteral("SETTING OF PID GROUP"));
    if (link)
        m_form.UseLink(*link);

    auto* kind = new QGroupBox(QStringLiteral("Kind of PID"), this);
    auto* kindRow = new QHBoxLayout(kind);
    m_groups = new QButtonGroup(this);
    for (int g = 0; g < ParameterImage::kPidGroups; ++g) {
        auto* radio = new QRadioButton(QString::number(g + 1), kind);
        radio->setObjectName(QStringLiteral("group_%1").arg(g + 1));
        m_groups->addButton(radio, g);
        kindRow->addWidget(radio);
    }

    auto* left = new QGridLayout;
    m_p = AddField(left, 0, "P");
    m_i = AddField(left, 1, "I");
    m_d = AddField(left, 2, "D");
    m_gap = AddField(left, 3, "GAP");
    m_mvH = AddField(left, 4, "MV-H");
    m_mvL = AddField(left, 5, "MV-L");

    auto* right = new QGridLayout;
    right->addWidget(MakeHelpButton(QStringLiteral("REV"), HelpText("REV"), messages, this), 0, 0);
    m_rev = MakeEditableCombo(QStringLiteral("REV"), QStringLiteral("REV"), this);
    for (const char* direction : FindRow(GroupId::Kind::PidGroup, "REV")->choices)
        m_rev->addItem(QString::fromLatin1(direction));
    m_rev->setMinimumContentsLength(20);
    right->addWidget(m_rev, 0, 1);
    m_knl = AddField(right, 1, "KnL");
    m_ar = AddField(right, 2, "Ar");
    m_man = AddField(right, 3, "MAN");
    right->setRowStretch(4, 1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addSpacing(16);
    columns->addLayout(right);

    const groupdialog::TransferButtons buttons = groupdialog::MakeTransferButtons(this, false);

    auto* fields = new QVBoxLayout;
    fields->addWidget(kind);
    fields->addLayout(columns);
    auto* layout = new QVBoxLayout(this);
    m_unchosen = groupdialog::MakeUnchosenLine(layout, this);
    AddFittingFields(layout, fields, buttons.row, this);
    CenterOnParent(this);

    connect(m_groups, &QButtonGroup::idClicked, this, &PidGroupDialog::OnGroup);
    connect(buttons.retrieve, &QPushButton::clicked, this, &PidGroupDialog::OnRetrieve);
    connect(buttons.send, &QPushButton::clicked, this, &PidGroupDialog::OnSend);
    connect(buttons.ok, &QPushButton::clicked, this, &PidGroupDialog::OnOk);

    groupdialog::AssistFields(this, *m_assist, GroupId::Kind::PidGroup);
    m_form.Open();
    // An operation's outcome shows when it is over, wherever the window is then.
    m_form.WhenDone([this] { FillControls(); });
    m_groups->button(0)->setChecked(true);
    FillControls();
    MakeEnterInDropDownsPressDefault(this);
}

QLineEdit* PidGroupDialog::AddField(QGridLayout* grid, int row, const char* mnemonic) {
    grid->addWidget(
        MakeHelpButton(QString::fromLatin1(mnemonic), HelpText(mnemonic), m_messages, this), row,
        0);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(mnemonic));
    grid->addWidget(edit, row, 1);
    return edit;
}

void PidGroupDialog::TakeTexts() {
    PidGroupTexts& t = m_form.Texts();
    t.P = S(m_p->text());
    t.D = S(m_d->text());
    t.GAP = S(m_gap->text());
    t.MV_H = S(m_mvH->text());
    t.MV_L = S(m_mvL->text());
    t.KnL = S(m_knl->text());
    t.Ar = S(m_ar->text());
    t.MAN = S(m_man->text());
    t.REV = S(m_rev->currentText());
    // A text that is not a whole integer gives nothing, which the store step refuses with
    // the field's message; the field shows the previous integer again.
    bool isInteger = false;
    const int i = m_i->text().trimmed().toInt(&isInteger);
    if (!isInteger && t.I)
        m_i->setText(QString::number(*t.I));
    t.I = isInteger ? std::optional<int32_t>(i) : std::nullopt;
}

void PidGroupDialog::UseReference(const ParameterSet& set) {
    m_set = &set;
    ShowMarks();
}

void PidGroupDialog::FillControls() {
    FillFields();
    ShowMarks();
}

void PidGroupDialog::ShowMarks() {
    groupdialog::ShowUnchosenLine(m_unchosen, m_set, GroupId::Pid(m_form.Group() + 1));
    if (!m_set)
        return;
    ParameterImage image = m_image;
    image.pid = m_set->Reference().pid;
    RecordingMessages quiet;
    PidGroupForm reference(image, quiet);
    reference.SelectGroup(m_form.Group());
    const PidGroupTexts mine = m_form.Texts();
    groupdialog::MarkAgainstReference(*m_assist, m_set, GroupId::Pid(m_form.Group() + 1), [&] {
        m_form.Texts() = reference.Texts();
        FillFields();
        m_form.Texts() = mine;
    });
}

void PidGroupDialog::FillFields() {
    const PidGroupTexts& t = m_form.Texts();
    m_p->setText(Q(t.P));
    m_i->setText(t.I ? QString::number(*t.I) : QString());
    m_d->setText(Q(t.D));
    m_gap->setText(Q(t.GAP));
    m_mvH->setText(Q(t.MV_H));
    m_mvL->setText(Q(t.MV_L));
    m_knl->setText(Q(t.KnL));
    m_ar->setText(Q(t.Ar));
    m_man->setText(Q(t.MAN));
    m_rev->setEditText(Q(t.REV));
    // A screen reader says which group a field belongs to: "P, PID group 4".
    const QString group = QStringLiteral(", PID group %1").arg(m_form.Group() + 1);
    for (QWidget* field : std::initializer_list<QWidget*>{m_p, m_i, m_d, m_gap, m_mvH, m_mvL, m_knl,
                                                          m_ar, m_man, m_rev})
        NameControl(field, field->objectName() + group);
}

void PidGroupDialog::ShowGroup(int group) {
    if (QAbstractButton* button = m_groups->button(group))
        button->setChecked(true);
    OnGroup(group);
}

void PidGroupDialog::OnGroup(int group) {
    TakeTexts();
    m_form.SelectGroup(group);
    FillControls();
}

void PidGroupDialog::OnRetrieve() {
    TakeTexts();
    m_form.Retrieve(m_cursor);
    FillControls();
}

void PidGroupDialog::UseQuestions(Questions& questions) {
    m_questions = &questions;
    m_form.UseQuestions(questions);
}

void PidGroupDialog::OnSend() {
    if (!groupdialog::MaySendUnchosen(m_set, m_questions, AllPidGroups(), this))
        return;
    TakeTexts();
    m_form.Send(m_cursor);
    FillControls();
}

void PidGroupDialog::OnOk() {
    TakeTexts();
    m_form.Ok();
    accept();
}
