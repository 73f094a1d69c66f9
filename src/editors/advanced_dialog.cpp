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
    : LabelledEditor(m_form, GroupId::Kind::Advanced, messages, cursor, image, parent, link),
      m_form(image.advanced, image.systemSetup, messages) {
    setWindowTitle(QStringLiteral("EXPERT PARAMETER"));

    QGridLayout* g = nullptr;
    // One row of a box: the parameter's help button and its field, from its catalogue row.
    auto add = [&](const char* label, QWidget* box) {
        const ParameterRow& row = *FindRow(GroupId::Kind::Advanced, label);
        QWidget* help =
            MakeHelpButton(QLatin1String(label), row.help ? row.help : "", m_messages, this);
        if (row.encoding != Encoding::Choice) {
            AddRow(g, help, MakeEdit(QLatin1String(label), box));
            return;
        }
        std::vector<std::string> items(row.choices.begin(), row.choices.end());
        if (std::string(label) == "DVDV")
            items.push_back(std::string()); // the list's empty entry
        AddRow(g, help, MakeCombo(QLatin1String(label), items, true, box));
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

    Finish(columns, TransferButtonRow(true));
}

FieldTexts AdvancedDialog::ReferenceTexts(const ParameterSet& set) const {
    AdvancedRecord record = set.Reference().advanced;
    RecordingMessages quiet;
    AdvancedForm reference(record, m_image.systemSetup, quiet);
    reference.Show();
    return reference.Texts();
}
