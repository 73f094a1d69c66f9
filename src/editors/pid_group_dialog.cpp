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
    : LabelledEditor(m_form, GroupId::Kind::PidGroup, messages, cursor, image, parent, link),
      m_form(image, messages) {
    setWindowTitle(QStringLiteral("SETTING OF PID GROUP"));

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
    AddField(left, 0, "P");
    AddField(left, 1, "I");
    AddField(left, 2, "D");
    AddField(left, 3, "GAP");
    AddField(left, 4, "MV-H");
    AddField(left, 5, "MV-L");

    auto* right = new QGridLayout;
    right->addWidget(MakeHelpButton(QStringLiteral("REV"), HelpText("REV"), messages, this), 0, 0);
    QComboBox* rev = MakeEditableCombo(QStringLiteral("REV"), QStringLiteral("REV"), this);
    for (const char* direction : PidRow(PidGroupRecord::REV).choices)
        rev->addItem(QString::fromLatin1(direction));
    rev->setMinimumContentsLength(20);
    right->addWidget(rev, 0, 1);
    AddField(right, 1, "KnL");
    AddField(right, 2, "Ar");
    AddField(right, 3, "MAN");
    right->setRowStretch(4, 1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addSpacing(16);
    columns->addLayout(right);

    auto* fields = new QVBoxLayout;
    fields->addWidget(kind);
    fields->addLayout(columns);
    connect(m_groups, &QButtonGroup::idClicked, this, &PidGroupDialog::OnGroup);
    m_groups->button(0)->setChecked(true);
    Finish(fields, TransferButtonRow(false));
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

std::vector<GroupId> PidGroupDialog::SentGroups() const {
    return AllPidGroups();
}

FieldTexts PidGroupDialog::ReferenceTexts(const ParameterSet& set) const {
    ParameterImage image = m_image;
    image.pid = set.Reference().pid;
    RecordingMessages quiet;
    PidGroupForm reference(image, quiet);
    reference.SelectGroup(m_form.Group());
    return reference.Texts();
}

void PidGroupDialog::FillFields() {
    LabelledEditor::FillFields();
    // A screen reader says which group a field belongs to: "P, PID group 4".
    const QString group = QStringLiteral(", PID group %1").arg(m_form.Group() + 1);
    for (QWidget* field : Fields())
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
