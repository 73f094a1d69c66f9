#include "editors/advanced_dialog.h"

#include "editors/group_dialog_qt.h"
#include "values/help_texts.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/enter_cancels_qt.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using namespace groupdialog;

} // namespace

AdvancedDialog::AdvancedDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                               QWidget* parent)
    : QDialog(parent), m_messages(messages), m_cursor(cursor),
      m_form(image.advanced, image.systemSetup, messages) {
    setWindowTitle(QStringLiteral("EXPERT PARAMETER"));
    BuildControls();
    m_form.Open();
    FillControls();
    MakeEnterInDropDownsPressDefault(this);
}

void AdvancedDialog::BuildControls() {
    using namespace advanced_lists;
    auto help = [this](const QString& mnemonic) {
        return MakeHelpButton(mnemonic, HelpText(mnemonic.toStdString()), m_messages, this);
    };
    QGridLayout* g = nullptr;

    QGroupBox* limits = Box(QStringLiteral("Set Value Upper and Lower limits"), g, this);
    AddRow(g, help("SV-H"), m_svh = MakeEdit("SV-H", limits));
    AddRow(g, help("SV-L"), m_svl = MakeEdit("SV-L", limits));

    QGroupBox* dmv = Box(QString(), g, this);
    AddRow(g, help("DMV"), m_dmv = MakeEdit("DMV", dmv));

    QGroupBox* hysteresis = Box(QStringLiteral("Setting of alarm hysteresis allowances"), g, this);
    for (int k = 0; k < 4; ++k) {
        const QString name = QStringLiteral("A%1HS").arg(k + 1);
        AddRow(g, help(name), m_hs[k] = MakeEdit(name, hysteresis));
    }

    QGroupBox* derivative = Box(QString(), g, this);
    std::vector<std::string> dvdv = Dvdv();
    dvdv.push_back(std::string());
    AddRow(g, help("DVDV"), m_dvdv = MakeCombo("DVDV", dvdv, true, derivative));

    QGroupBox* tuning = Box(QStringLiteral("Auto-tuning"), g, this);
    AddRow(g, help("ATSV"), m_atsv = MakeCombo("ATSV", Atsv(), true, tuning));
    AddRow(g, help("PID"), m_pid = MakeCombo("PID", Pid(), true, tuning));

    QGroupBox* protect = Box(QStringLiteral("Transmission write protect"), g, this);
    AddRow(g, help("TDS"), m_tds = MakeCombo("TDS", Tds(), true, protect));

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
    top->addLayout(columns);
    top->addLayout(buttons.row);
}

void AdvancedDialog::TakeTexts() {
    AdvancedTexts& t = m_form.Texts();
    t.SV_H = m_svh->text().toStdString();
    t.SV_L = m_svl->text().toStdString();
    t.DMV = m_dmv->text().toStdString();
    for (int k = 0; k < 4; ++k)
        t.HS[k] = m_hs[k]->text().toStdString();
    t.DVDV = m_dvdv->currentText().toStdString();
    t.ATSV = m_atsv->currentText().toStdString();
    t.PID = m_pid->currentText().toStdString();
    t.TDS = m_tds->currentText().toStdString();
}

void AdvancedDialog::FillControls() {
    const AdvancedTexts& t = m_form.Texts();
    m_svh->setText(Q(t.SV_H));
    m_svl->setText(Q(t.SV_L));
    m_dmv->setText(Q(t.DMV));
    for (int k = 0; k < 4; ++k)
        m_hs[k]->setText(Q(t.HS[k]));
    m_dvdv->setCurrentText(Q(t.DVDV));
    m_atsv->setCurrentText(Q(t.ATSV));
    m_pid->setCurrentText(Q(t.PID));
    m_tds->setCurrentText(Q(t.TDS));
}

void AdvancedDialog::OnRetrieve() {
    m_form.Retrieve(m_cursor);
    FillControls();
}

void AdvancedDialog::OnSend() {
    TakeTexts();
    m_form.Send(m_cursor);
    FillControls();
}

void AdvancedDialog::OnOk() {
    TakeTexts();
    m_form.Ok();
    accept();
}
