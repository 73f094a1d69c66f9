#include "editors/program_pattern_dialog.h"
#include "editors/pattern_sub_editors_qt.h"

#include "editors/group_dialog_qt.h"
#include "editors/pattern_graph_dialog.h"
#include "editors/profile_dialog.h"
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

constexpr int kSegments = PatternFields::kSegments;

// Segment fields hold at most six characters ("-199.9", "99:59"); twenty of them fit
// across a dialog about 1200 pixels wide.
int SegmentFieldWidth(const QWidget* widget) {
    return widget->fontMetrics().horizontalAdvance(QStringLiteral("-0000.0")) + 4;
}

QLineEdit* MakeReadOnlyBox(const QString& name, const QString& widest, QWidget* parent) {
    auto* box = groupdialog::MakeEdit(name, parent);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(widest) + 16);
    return box;
}

} // namespace

using groupdialog::MakeButton;
using groupdialog::MakeCombo;
using groupdialog::MakeEdit;

ProgramPatternDialog::ProgramPatternDialog(ParameterImage& image, Messages& messages,
                                           CursorControl& cursor, QWidget* parent,
                                           TransferContext* link)
    : GroupEditor(m_form, GroupId::Kind::Pattern, messages, cursor, image, parent, link),
      m_form(image, messages, cursor) {
    setWindowTitle(QStringLiteral("Program Pattern"));
    m_labelColumnWidth = fontMetrics().horizontalAdvance(QStringLiteral("ON time")) + 24;

    auto* fields = new QVBoxLayout;
    fields->addWidget(BuildTopRow());
    fields->addWidget(BuildSetValueGroup());
    fields->addWidget(BuildTimeSignalGroup());
    auto* bottom = new QVBoxLayout;
    bottom->addWidget(BuildBottomRow());
    Finish(fields, bottom);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* ProgramPatternDialog::BuildTopRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* patterns = new QGroupBox(QStringLiteral("PATTERN NO."), row);
    auto* buttons = new QHBoxLayout(patterns);
    m_patterns = new QButtonGroup(this);
    for (int n = 1; n <= ParameterImage::kPatterns; ++n) {
        auto* radio = new QRadioButton(QString::number(n), patterns);
        radio->setObjectName(QStringLiteral("pattern_%1").arg(n));
        m_patterns->addButton(radio, n);
        buttons->addWidget(radio);
    }
    connect(m_patterns, &QButtonGroup::idClicked, this, &ProgramPatternDialog::OnPattern);
    layout->addWidget(patterns);
    layout->addSpacing(12);

    m_rangeBox = MakeReadOnlyBox(QStringLiteral("RangeBox"),
                                 QStringLiteral("Pt100 -199.9 to 600 degree C"), row);
    m_decimalBox =
        MakeReadOnlyBox(QStringLiteral("DecimalBox"), QStringLiteral("No decimal position"), row);
    m_timeUnitBox =
        MakeReadOnlyBox(QStringLiteral("TimeUnitBox"), QStringLiteral("Minute. Second"), row);
    const std::pair<const char*, QLineEdit*> boxes[] = {
        {"Range", m_rangeBox}, {"Decimal point", m_decimalBox}, {"Time unit", m_timeUnitBox}};
    for (const auto& [label, box] : boxes) {
        box->setAccessibleName(QString::fromLatin1(label));
        layout->addWidget(new QLabel(QString::fromLatin1(label), row));
        layout->addWidget(box);
        layout->addSpacing(8);
    }
    layout->addStretch(1);
    return row;
}

void ProgramPatternDialog::AddFieldRow(QGridLayout* grid, int row, QWidget* label,
                                       const QString& prefix, Row& fields) {
    grid->addWidget(label, row, 0);
    for (int s = 1; s <= kSegments; ++s) {
        QLineEdit* field =
            MakeEdit(QStringLiteral("%1_%2").arg(prefix).arg(s), label->parentWidget());
        field->setAccessibleName(QStringLiteral("%1, segment %2").arg(prefix).arg(s));
        field->setFixedWidth(SegmentFieldWidth(field));
        fields[s - 1] = field;
        grid->addWidget(field, row, s);
    }
}

QWidget* ProgramPatternDialog::BuildSetValueGroup() {
    auto* group = new QGroupBox(QStringLiteral("SET VALUE AND TIME"), this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(4);
    grid->setColumnMinimumWidth(0, m_labelColumnWidth);
    grid->addWidget(new QLabel(QStringLiteral("SEG."), group), 0, 0);
    for (int s = 1; s <= kSegments; ++s)
        grid->addWidget(new QLabel(QString::number(s), group), 0, s, Qt::AlignHCenter);
    AddFieldRow(grid, 1, MakeHelpButton(QStringLiteral("SV"), HelpText("SV"), m_messages, group),
                QStringLiteral("SV"), m_sv);
    AddFieldRow(grid, 2,
                MakeHelpButton(QStringLiteral("TIME"), HelpText("TIME"), m_messages, group),
                QStringLiteral("TIME"), m_time);
    return group;
}

QWidget* ProgramPatternDialog::BuildTimeSignalGroup() {
    auto* group = new QGroupBox(QStringLiteral("TIME SIGNAL"), this);
    auto* layout = new QVBoxLayout(group);

    auto* selection = new QGridLayout;
    selection->setHorizontalSpacing(12);
    selection->addWidget(new QLabel(QStringLiteral("Standard"), group), 0, 0, 1, 4,
                         Qt::AlignHCenter);
    selection->addWidget(new QLabel(QStringLiteral("Option"), group), 0, 4, 1, 2, Qt::AlignHCenter);
    m_timeSignals = new QButtonGroup(this);
    for (int k = 1; k <= 6; ++k) {
        auto* radio = new QRadioButton(QString::number(k), group);
        radio->setObjectName(QStringLiteral("ts_%1").arg(k));
        m_timeSignals->addButton(radio, k);
        selection->addWidget(radio, 1, k - 1);
    }
    connect(m_timeSignals, &QButtonGroup::idClicked, this, &ProgramPatternDialog::OnTimeSignal);
    auto* selectionRow = new QHBoxLayout;
    selectionRow->addSpacing(m_labelColumnWidth);
    selectionRow->addLayout(selection);
    selectionRow->addStretch(1);
    layout->addLayout(selectionRow);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setColumnMinimumWidth(0, m_labelColumnWidth);
    AddFieldRow(grid, 0, new QLabel(QStringLiteral("ON time"), group), QStringLiteral("ON"), m_on);
    AddFieldRow(grid, 1, new QLabel(QStringLiteral("OFF"), group), QStringLiteral("OFF"), m_off);
    layout->addLayout(grid);
    return group;
}

QWidget* ProgramPatternDialog::BuildBottomRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* editors = new QVBoxLayout;
    const struct {
        const char* text;
        const char* name;
        void (ProgramPatternDialog::*slot)();
    } editorButtons[] = {
        {"SETTING OF PID GROUP", "SETTING_OF_PID_GROUP", &ProgramPatternDialog::OnSegmentPid},
        {"SETTING OF ALARM VALUE  1to4", "SETTING_OF_ALARM_VALUE",
         &ProgramPatternDialog::OnAlarmValues},
        {"GUARANTEED  SOAK ", "GUARANTEED_SOAK", &ProgramPatternDialog::OnGuaranteedSoak},
    };
    for (const auto& b : editorButtons) {
        QPushButton* button =
            MakeButton(QString::fromLatin1(b.text), QString::fromLatin1(b.name), row);
        connect(button, &QPushButton::clicked, this, b.slot);
        editors->addWidget(button);
    }
    layout->addLayout(editors);
    layout->addSpacing(12);

    auto* settings = new QGroupBox(QStringLiteral("EDITING PROGRAM PATTERN"), row);
    auto* grid = new QGridLayout(settings);
    m_pvstart = MakeCombo(QStringLiteral("PVSTART"), {"YES", "NO"}, false, settings);
    m_cyclic = MakeEdit(QStringLiteral("CYCL"), settings);
    m_cyclic->setFixedWidth(SegmentFieldWidth(m_cyclic));
    std::vector<std::string> links;
    for (int n = 1; n <= ParameterImage::kPatterns; ++n)
        links.push_back(std::to_string(n));
    links.push_back("OFF");
    m_link = MakeCombo(QStringLiteral("LINK"), links, false, settings);
    const std::pair<const char*, QWidget*> rows[] = {
        {"PVSTART", m_pvstart}, {"CYCLIC OPERATION", m_cyclic}, {"LINK", m_link}};
    for (int r = 0; r < 3; ++r) {
        grid->addWidget(new QLabel(QString::fromLatin1(rows[r].first), settings), r, 0);
        grid->addWidget(rows[r].second, r, 1, Qt::AlignLeft);
    }
    layout->addWidget(settings, 0, Qt::AlignTop);
    layout->addStretch(1);

    auto* actions = new QGridLayout;
    const struct {
        const char* text;
        void (ProgramPatternDialog::*slot)();
        int row, column;
    } actionButtons[] = {{"VIEW", &ProgramPatternDialog::OnView, 0, 0},
                         {"PROFILE", &ProgramPatternDialog::OnProfile, 0, 1},
                         {"RETRIEVE", &ProgramPatternDialog::OnRetrieve, 1, 0},
                         {"SEND", &ProgramPatternDialog::OnSend, 1, 1},
                         {"OK", &ProgramPatternDialog::OnOk, 2, 0},
                         {"CANCEL", &QDialog::reject, 2, 1}};
    for (const auto& b : actionButtons) {
        const QString text = QString::fromLatin1(b.text);
        // Alt+R, Alt+S, Alt+O and Alt+C, as in the other editors.
        const bool transfer = b.row > 0;
        QPushButton* button = MakeButton(transfer ? QLatin1Char('&') + text : text, text, row);
        connect(button, &QPushButton::clicked, this, b.slot);
        actions->addWidget(button, b.row, b.column);
        // Enter in a field sends.
        if (text == QLatin1String("SEND"))
            button->setDefault(true);
    }
    layout->addLayout(actions);
    return row;
}

void ProgramPatternDialog::TakeTexts() {
    PatternFields& f = m_form.Fields();
    for (int s = 0; s < kSegments; ++s) {
        f.sv[s] = m_sv[s]->text().toStdString();
        f.time[s] = m_time[s]->text().toStdString();
        f.on[s] = m_on[s]->text().toStdString();
        f.off[s] = m_off[s]->text().toStdString();
    }
    f.pvstart = m_pvstart->currentText().toStdString();
    f.cyclic = ParseIntegerText(m_cyclic->text().toStdString());
    f.link = m_link->currentText().toStdString();
}

void ProgramPatternDialog::FillReferenceFields(const ParameterSet& set) {
    // The reference pattern as this editor would show it, with the same selections.
    ParameterImage image = m_form.Image();
    image.pattern = set.Reference().pattern;
    RecordingMessages quiet;
    NoCursor still;
    ProgramPatternForm reference(image, quiet, still);
    reference.Open();
    reference.SelectPattern(m_form.SelectedPattern());
    reference.SelectTimeSignal(m_form.SelectedTimeSignal());
    const PatternFields mine = m_form.Fields();
    m_form.Fields() = reference.Fields();
    FillFields();
    m_form.Fields() = mine;
}

void ProgramPatternDialog::FillFields() {
    const PatternFields& f = m_form.Fields();
    for (int s = 0; s < kSegments; ++s) {
        m_sv[s]->setText(Q(f.sv[s]));
        m_time[s]->setText(Q(f.time[s]));
        m_on[s]->setText(Q(f.on[s]));
        m_off[s]->setText(Q(f.off[s]));
    }
    m_pvstart->setEditText(Q(f.pvstart));
    m_cyclic->setText(Q(IntegerText(f.cyclic)));
    m_link->setEditText(Q(f.link));
    m_patterns->button(m_form.SelectedPattern())->setChecked(true);
    m_timeSignals->button(m_form.SelectedTimeSignal())->setChecked(true);
    m_rangeBox->setText(Q(m_form.RangeBox()));
    m_decimalBox->setText(Q(m_form.DecimalBox()));
    m_timeUnitBox->setText(Q(m_form.TimeUnitBox()));
}

void ProgramPatternDialog::OnPattern(int n) {
    m_form.SelectPattern(n);
    FillControls();
}

void ProgramPatternDialog::OnTimeSignal(int k) {
    // A refused choice puts the check back on the time signal still selected and keeps
    // what was typed; an accepted one reloads the pattern.
    TakeTexts();
    m_form.SelectTimeSignal(k);
    FillControls();
}

// The sub-editors and the graph work on the working state of the selected pattern; what
// they change reaches the image only through OK or SEND, and the fields here are not
// refreshed when they close.
void ProgramPatternDialog::OnView() {
    PatternGraphDialog dialog(m_form.State(), m_form.Image(), m_messages, this);
    dialog.exec();
}

void ProgramPatternDialog::OnProfile() {
    ProfileDialog dialog(m_form.State(), m_form.Image(), this);
    dialog.exec();
}

void ProgramPatternDialog::OnSegmentPid() {
    SegmentPidDialog dialog(m_form.State(), m_form.Image(), m_messages, this);
    if (Reference())
        dialog.UseReference(*Reference(), m_form.Image(), m_form.SelectedPattern());
    dialog.exec();
}

void ProgramPatternDialog::OnAlarmValues() {
    AlarmValuesDialog dialog(m_form.State(), m_form.Image(), m_messages, this);
    if (Reference())
        dialog.UseReference(*Reference(), m_form.Image(), m_form.SelectedPattern());
    dialog.exec();
}

void ProgramPatternDialog::OnGuaranteedSoak() {
    GuaranteedSoakDialog dialog(m_form.State(), m_form.Image(), m_messages, this);
    if (Reference())
        dialog.UseReference(*Reference(), m_form.Image(), m_form.SelectedPattern());
    dialog.exec();
}
