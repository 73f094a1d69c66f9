#include "editors/system_setup_dialog.h"

#include "editors/group_dialog_qt.h"
#include "image/parameter_catalogue.h"
#include "values/conversions.h"
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

QLabel* Label(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

void SetText(QLineEdit* edit, const std::string& text) {
    edit->setText(Q(text));
}
void SetText(QComboBox* combo, const std::string& text) {
    combo->setCurrentText(Q(text));
}
std::string Text(const QLineEdit* edit) {
    return edit->text().toStdString();
}
std::string Text(const QComboBox* combo) {
    return combo->currentText().toStdString();
}
// A field that holds no whole number ("6.5", empty, a sign alone) gives nothing: the store
// step refuses it with the field's message.
void TakeInt(const QLineEdit* edit, std::optional<int>& value) {
    bool ok = false;
    const int v = edit->text().toInt(&ok);
    value = ok ? std::optional<int>(v) : std::nullopt;
}
std::string IntText(const std::optional<int>& value) {
    return value ? std::to_string(*value) : std::string();
}

} // namespace

SystemSetupDialog::SystemSetupDialog(ParameterImage& image, Messages& messages,
                                     CursorControl& cursor, QWidget* parent, TransferContext* link)
    : QDialog(parent), m_messages(messages), m_cursor(cursor), m_form(image.systemSetup, messages),
      m_image(image), m_assist(new FieldAssist(messages, this)) {
    setWindowTitle(QStringLiteral("SYSTEM PARAMETER"));
    if (link)
        m_form.UseLink(*link);
    BuildControls();
    groupdialog::AssistFields(this, *m_assist, GroupId::Kind::SystemSetup);
    m_form.Open();
    // An operation's outcome shows when it is over, wherever the window is then.
    m_form.WhenDone([this] { FillControls(); });
    FillControls();
    MakeEnterInDropDownsPressDefault(this);
}

void SystemSetupDialog::BuildControls() {
    using namespace setup_lists;
    Messages& msg = m_messages;
    auto help = [&](const char* mnemonic) {
        return MakeHelpButton(QString::fromLatin1(mnemonic), HelpText(mnemonic), msg, this);
    };

    QGridLayout* g = nullptr;
    std::vector<std::string> inputTypes;
    for (int i = 0; i < InputTypeCount(); ++i)
        inputTypes.push_back(InputTypeText(InputTypeCodeAt(i)));
    QGroupBox* input = Box(QStringLiteral("INPUT"), g, this);
    m_pvt = MakeCombo("PVT", inputTypes, false, input);
    m_pvt->setMinimumContentsLength(48);
    m_pvt->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    AddRow(g, Label("PVT", input), m_pvt);
    AddRow(g, Label("PVU", input), m_pvu = MakeCombo("PVU", Pvu(), true, input));
    AddRow(g, Label("PVD", input), m_pvd = MakeCombo("PVD", Pvd(), true, input));
    AddRow(g, help("PVF"), m_pvf = MakeEdit("PVF", input));
    AddRow(g, help("PVB"), m_pvb = MakeEdit("PVB", input));
    AddRow(g, help("TF"), m_tf = MakeEdit("TF", input));
    AddRow(g, help("SFT"), m_sft = MakeEdit("SFT", input));

    QGroupBox* mv = Box(QString(), g, this);
    AddRow(g, help("CI"), m_ci = MakeEdit("CI", mv));
    AddRow(g, help("PSET"), m_pset = MakeEdit("PSET", mv));
    AddRow(g, help("BURN"), m_burn = MakeEdit("BURN", mv));

    std::vector<std::string> alarmTypes;
    for (int code = 0; code < AlarmTypeCount(); ++code)
        alarmTypes.push_back(AlarmTypeText(code));
    QGroupBox* alarms = Box(QStringLiteral("KIND OF ALARMS"), g, this);
    for (int k = 0; k < 4; ++k) {
        const QString name = QStringLiteral("AL%1T").arg(k + 1);
        m_alt[k] = MakeCombo(name, alarmTypes, false, alarms);
        AddRow(g, Label(name, alarms), m_alt[k]);
    }

    QGroupBox* output = Box(QStringLiteral("OUTPUT"), g, this);
    AddRow(g, Label("A01T", output), m_a01t = MakeCombo("A01T", Aot(), true, output));
    AddRow(g, Label("A01R", output), m_a01r = MakeCombo("A01R", Aor(), true, output));
    AddRow(g, help("A01F"), m_a01f = MakeEdit("A01F", output));
    AddRow(g, help("A01B"), m_a01b = MakeEdit("A01B", output));
    AddRow(g, Label("A02T", output), m_a02t = MakeCombo("A02T", Aot(), true, output));
    AddRow(g, Label("A02R", output), m_a02r = MakeCombo("A02R", Aor(), true, output));
    AddRow(g, Label("A02F", output), m_a02f = MakeEdit("A02F", output));
    AddRow(g, Label("A02B", output), m_a02b = MakeEdit("A02B", output));

    QGroupBox* time = Box(QStringLiteral("TIME SETTING"), g, this);
    AddRow(g, Label("TMU", time), m_tmu = MakeCombo("TMU", Tmu(), true, time));
    AddRow(g, Label("TMDT", time), m_tmdt = MakeCombo("TMDT", Tmdt(), true, time));

    QGroupBox* start = Box(QStringLiteral("START MODE"), g, this);
    AddRow(g, Label("STM", start), m_stm = MakeCombo("STM", Stm(), true, start));

    QGroupBox* end = Box(QString(), g, this);
    AddRow(g, help("ENDT"), m_endt = MakeEdit("ENDT", end));

    QGroupBox* soak = Box(QStringLiteral("GUARANTEE SOAK"), g, this);
    AddRow(g, help("GS-H"), m_gsh = MakeEdit("GS-H", soak));
    AddRow(g, help("GS-L"), m_gsl = MakeEdit("GS-L", soak));
    AddRow(g, help("GS-T"), m_gst = MakeEdit("GS-T", soak));

    QGroupBox* station = Box(QStringLiteral("STATION NO."), g, this);
    AddRow(g, Label("STN", station), m_stn = MakeCombo("STN", Stn(), false, station));

    auto* left = new QVBoxLayout;
    left->addWidget(input);
    left->addWidget(mv);
    left->addWidget(alarms);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(output);
    right->addWidget(time);
    right->addWidget(start);
    right->addWidget(end);
    right->addWidget(soak);
    right->addWidget(station);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);

    const TransferButtons buttons = MakeTransferButtons(this, true);
    connect(buttons.retrieve, &QPushButton::clicked, this, &SystemSetupDialog::OnRetrieve);
    connect(buttons.send, &QPushButton::clicked, this, &SystemSetupDialog::OnSend);
    connect(buttons.ok, &QPushButton::clicked, this, &SystemSetupDialog::OnOk);

    auto* top = new QVBoxLayout(this);
    m_unchosen = groupdialog::MakeUnchosenLine(top, this);
    AddFittingFields(top, columns, buttons.row, this);
    CenterOnParent(this);

    // Only the user's edits are guarded; filling the fields uses setText, which does
    // not emit textEdited.
    connect(m_pvf, &QLineEdit::textEdited, this, [this] { OnScaleEdited(true); });
    connect(m_pvb, &QLineEdit::textEdited, this, [this] { OnScaleEdited(false); });
}

void SystemSetupDialog::TakeTexts() {
    SystemSetupTexts& t = m_form.Texts();
    t.PVT = Text(m_pvt);
    t.PVU = Text(m_pvu);
    t.PVD = Text(m_pvd);
    TakeInt(m_pvf, t.PVF);
    TakeInt(m_pvb, t.PVB);
    TakeInt(m_ci, t.CI);
    t.TF = Text(m_tf);
    t.SFT = Text(m_sft);
    t.PSET = Text(m_pset);
    t.BURN = Text(m_burn);
    for (int k = 0; k < 4; ++k)
        t.ALT[k] = Text(m_alt[k]);
    t.A01T = Text(m_a01t);
    t.A01R = Text(m_a01r);
    t.A01F = Text(m_a01f);
    t.A01B = Text(m_a01b);
    t.A02T = Text(m_a02t);
    t.A02R = Text(m_a02r);
    t.A02F = Text(m_a02f);
    t.A02B = Text(m_a02b);
    t.TMU = Text(m_tmu);
    t.TMDT = Text(m_tmdt);
    t.STM = Text(m_stm);
    t.ENDT = Text(m_endt);
    t.GS_H = Text(m_gsh);
    t.GS_L = Text(m_gsl);
    t.GS_T = Text(m_gst);
    t.STN = Text(m_stn);
}

void SystemSetupDialog::UseReference(const ParameterSet& set) {
    m_set = &set;
    ShowMarks();
}

void SystemSetupDialog::FillControls() {
    FillFields();
    ShowMarks();
}

void SystemSetupDialog::ShowMarks() {
    groupdialog::ShowUnchosenLine(m_unchosen, m_set, GroupId::SystemSetup());
    if (!m_set)
        return;
    SystemSetupRecord record = m_set->Reference().systemSetup;
    RecordingMessages quiet;
    SystemSetupForm reference(record, quiet);
    reference.Show();
    const SystemSetupTexts mine = m_form.Texts();
    groupdialog::MarkAgainstReference(*m_assist, m_set, GroupId::SystemSetup(), [&] {
        m_form.Texts() = reference.Texts();
        FillFields();
        m_form.Texts() = mine;
    });
}

void SystemSetupDialog::FillFields() {
    const SystemSetupTexts& t = m_form.Texts();
    SetText(m_pvt, t.PVT);
    SetText(m_pvu, t.PVU);
    SetText(m_pvd, t.PVD);
    SetText(m_pvf, IntText(t.PVF));
    SetText(m_pvb, IntText(t.PVB));
    SetText(m_ci, IntText(t.CI));
    SetText(m_tf, t.TF);
    SetText(m_sft, t.SFT);
    SetText(m_pset, t.PSET);
    SetText(m_burn, t.BURN);
    for (int k = 0; k < 4; ++k)
        SetText(m_alt[k], t.ALT[k]);
    SetText(m_a01t, t.A01T);
    SetText(m_a01r, t.A01R);
    SetText(m_a01f, t.A01F);
    SetText(m_a01b, t.A01B);
    SetText(m_a02t, t.A02T);
    SetText(m_a02r, t.A02R);
    SetText(m_a02f, t.A02F);
    SetText(m_a02b, t.A02B);
    SetText(m_tmu, t.TMU);
    SetText(m_tmdt, t.TMDT);
    SetText(m_stm, t.STM);
    SetText(m_endt, t.ENDT);
    SetText(m_gsh, t.GS_H);
    SetText(m_gsl, t.GS_L);
    SetText(m_gst, t.GS_T);
    SetText(m_stn, t.STN);
}

void SystemSetupDialog::OnScaleEdited(bool upper) {
    TakeTexts();
    // Refilling only after a restore keeps the caret where the user is typing.
    if (m_form.GuardScaleEdit(upper))
        FillControls();
}

void SystemSetupDialog::OnRetrieve() {
    m_form.Retrieve(m_cursor);
    FillControls();
}

void SystemSetupDialog::UseQuestions(Questions& questions) {
    m_questions = &questions;
    m_form.UseQuestions(questions);
}

void SystemSetupDialog::OnSend() {
    if (!groupdialog::MaySendUnchosen(m_set, m_questions, {GroupId::SystemSetup()}, this))
        return;
    TakeTexts();
    m_form.Send(m_cursor);
    FillControls();
}

void SystemSetupDialog::OnOk() {
    TakeTexts();
    m_form.Ok();
    accept();
}
