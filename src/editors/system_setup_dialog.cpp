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

} // namespace

SystemSetupDialog::SystemSetupDialog(ParameterImage& image, Messages& messages,
                                     CursorControl& cursor, QWidget* parent, TransferContext* link)
    : LabelledEditor(m_form, GroupId::Kind::SystemSetup, messages, cursor, image, parent, link),
      m_form(image.systemSetup, messages) {
    setWindowTitle(QStringLiteral("SYSTEM PARAMETER"));
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
    QComboBox* pvt = MakeCombo("PVT", inputTypes, false, input);
    pvt->setMinimumContentsLength(48);
    pvt->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    AddRow(g, Label("PVT", input), pvt);
    AddRow(g, Label("PVU", input), MakeCombo("PVU", Pvu(), true, input));
    AddRow(g, Label("PVD", input), MakeCombo("PVD", Pvd(), true, input));
    QLineEdit* pvf = MakeEdit("PVF", input);
    QLineEdit* pvb = MakeEdit("PVB", input);
    AddRow(g, help("PVF"), pvf);
    AddRow(g, help("PVB"), pvb);
    AddRow(g, help("TF"), MakeEdit("TF", input));
    AddRow(g, help("SFT"), MakeEdit("SFT", input));

    QGroupBox* mv = Box(QString(), g, this);
    AddRow(g, help("CI"), MakeEdit("CI", mv));
    AddRow(g, help("PSET"), MakeEdit("PSET", mv));
    AddRow(g, help("BURN"), MakeEdit("BURN", mv));

    std::vector<std::string> alarmTypes;
    for (int code = 0; code < AlarmTypeCount(); ++code)
        alarmTypes.push_back(AlarmTypeText(code));
    QGroupBox* alarms = Box(QStringLiteral("KIND OF ALARMS"), g, this);
    for (int k = 0; k < 4; ++k) {
        const QString name = QStringLiteral("AL%1T").arg(k + 1);
        AddRow(g, Label(name, alarms), MakeCombo(name, alarmTypes, false, alarms));
    }

    QGroupBox* output = Box(QStringLiteral("OUTPUT"), g, this);
    AddRow(g, Label("A01T", output), MakeCombo("A01T", Aot(), true, output));
    AddRow(g, Label("A01R", output), MakeCombo("A01R", Aor(), true, output));
    AddRow(g, help("A01F"), MakeEdit("A01F", output));
    AddRow(g, help("A01B"), MakeEdit("A01B", output));
    AddRow(g, Label("A02T", output), MakeCombo("A02T", Aot(), true, output));
    AddRow(g, Label("A02R", output), MakeCombo("A02R", Aor(), true, output));
    AddRow(g, Label("A02F", output), MakeEdit("A02F", output));
    AddRow(g, Label("A02B", output), MakeEdit("A02B", output));

    QGroupBox* time = Box(QStringLiteral("TIME SETTING"), g, this);
    AddRow(g, Label("TMU", time), MakeCombo("TMU", Tmu(), true, time));
    AddRow(g, Label("TMDT", time), MakeCombo("TMDT", Tmdt(), true, time));

    QGroupBox* start = Box(QStringLiteral("START MODE"), g, this);
    AddRow(g, Label("STM", start), MakeCombo("STM", Stm(), true, start));

    QGroupBox* end = Box(QString(), g, this);
    AddRow(g, help("ENDT"), MakeEdit("ENDT", end));

    QGroupBox* soak = Box(QStringLiteral("GUARANTEE SOAK"), g, this);
    AddRow(g, help("GS-H"), MakeEdit("GS-H", soak));
    AddRow(g, help("GS-L"), MakeEdit("GS-L", soak));
    AddRow(g, help("GS-T"), MakeEdit("GS-T", soak));

    QGroupBox* station = Box(QStringLiteral("STATION NO."), g, this);
    AddRow(g, Label("STN", station), MakeCombo("STN", Stn(), false, station));

    auto* left = new QVBoxLayout;
    left->addWidget(input);
    left->addWidget(mv);
    left->addWidget(alarms);
    left->addWidget(station);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(output);
    right->addWidget(time);
    right->addWidget(start);
    right->addWidget(end);
    right->addWidget(soak);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);

    // Only the user's edits are guarded; filling the fields uses setText, which does
    // not emit textEdited.
    connect(pvf, &QLineEdit::textEdited, this, [this] { OnScaleEdited(true); });
    connect(pvb, &QLineEdit::textEdited, this, [this] { OnScaleEdited(false); });
    Finish(columns, TransferButtonRow(true));
}

FieldTexts SystemSetupDialog::ReferenceTexts(const ParameterSet& set) const {
    SystemSetupRecord record = set.Reference().systemSetup;
    RecordingMessages quiet;
    SystemSetupForm reference(record, quiet);
    reference.Show();
    return reference.Texts();
}

void SystemSetupDialog::OnScaleEdited(bool upper) {
    TakeTexts();
    // Refilling only after a restore keeps the caret where the user is typing.
    if (m_form.GuardScaleEdit(upper))
        FillControls();
}
