#include "app/send_all_dialog.h"

#include "app/compare_dialog.h"
#include "operator/glossary.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/window_fit_qt.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>

namespace {

QLabel* Value(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString Parameters(size_t n) {
    return n == 1 ? QStringLiteral("1 parameter") : QStringLiteral("%1 parameters").arg(n);
}

} // namespace

SendAllDialog::SendAllDialog(const Content& content, QWidget* parent) : QDialog(parent) {
    setWindowTitle(content.title);
    setObjectName(QStringLiteral("SendAllDialog"));

    auto* heading = new QLabel(content.heading.isEmpty()
                                   ? QStringLiteral("Every group of the loader's set goes to "
                                                    "TQX: system setup, advanced, PID groups "
                                                    "1-9 and program patterns 1-9.")
                                   : content.heading,
                               this);
    heading->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("From:"), Value(content.source, QStringLiteral("source"), this));
    form->addRow(QStringLiteral("To:"),
                 Value(QStringLiteral("port 1 ") + content.port, QStringLiteral("port"), this));
    form->addRow(QStringLiteral("Model code:"),
                 Value(content.modelCode, QStringLiteral("modelCode"), this));

    auto* fields = new QVBoxLayout;
    fields->addWidget(heading);
    fields->addLayout(form);
    for (int i = 0; i < content.warnings.size(); ++i) {
        QLabel* warning = Value(content.warnings[i], QStringLiteral("warning%1").arg(i + 1), this);
        warning->setWordWrap(true);
        warning->setStyleSheet(QStringLiteral("color: #a00000;"));
        fields->addWidget(warning);
    }
    AddDifferences(content, fields);
    if (content.wholeSet)
        setToolTip(QString::fromLatin1(glossary::kWdis));
    if (content.wholeSet && !content.locked)
        fields->addWidget(Value(QStringLiteral("TQX is write-enabled (WDIS 0)."),
                                QStringLiteral("locked"), this));
    if (content.wholeSet && content.locked) {
        fields->addWidget(Value(QStringLiteral("TQX is write-inhibited (WDIS 1): nothing is "
                                               "written unless it is unlocked."),
                                QStringLiteral("locked"), this));
        m_unlock =
            new QCheckBox(QStringLiteral("&Unlock: write WDIS 0 first, the set's WDIS last"), this);
        m_unlock->setObjectName(QStringLiteral("unlock"));
        m_unlock->setToolTip(QString::fromLatin1(glossary::kWdis));
        m_keepInhibit = new QCheckBox(QStringLiteral("Keep the controller's &write inhibit"), this);
        m_keepInhibit->setObjectName(QStringLiteral("keepInhibit"));
        m_keepInhibit->setToolTip(QStringLiteral("The set goes in with WDIS 0, and the "
                                                 "controller's WDIS 1 is written last."));
        m_keepInhibit->setChecked(true);
        m_keepInhibit->setEnabled(false);
        connect(m_unlock, &QCheckBox::toggled, m_keepInhibit, &QWidget::setEnabled);
        auto* boxes = new QHBoxLayout;
        boxes->addWidget(m_unlock);
        boxes->addWidget(m_keepInhibit);
        boxes->addStretch(1);
        fields->addLayout(boxes);
    }
    if (content.wholeSet) {
        m_keep = new QCheckBox(QStringLiteral("&Keep the controller's own values in a file first"),
                               this);
        m_keep->setObjectName(QStringLiteral("keep"));
        m_keep->setChecked(true);
        m_keep->setToolTip(QStringLiteral("Saved in ") + content.keepFolder);
        fields->addWidget(m_keep);
    }

    const OkCancelRow buttons = MakeOkCancelRow(this);
    buttons.cancel->setDefault(true); // Enter alone never sends
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
    AddFittingFields(new QVBoxLayout(this), fields, buttons.row, this);
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 60);
    CenterOnParent(this);
}

// Each group that goes, with the number of its parameters that differ from what TQX holds
// now; "Differences..." shows them one by one.
void SendAllDialog::AddDifferences(const Content& content, QVBoxLayout* layout) {
    std::map<int, size_t> counts; // by the group's index
    for (const ParameterDifference& d : content.differences)
        ++counts[d.a.group.Index()];
    const size_t differing = counts.size();
    auto* summary =
        Value(content.differences.empty()
                  ? QStringLiteral("No parameter differs from what TQX holds now.")
                  : QStringLiteral("%1 in %2 of %3 groups %4 from what TQX holds now:")
                        .arg(Parameters(content.differences.size()))
                        .arg(differing)
                        .arg(content.groups.size())
                        .arg(content.differences.size() == 1 ? QStringLiteral("differs")
                                                             : QStringLiteral("differ")),
              QStringLiteral("differenceSummary"), this);
    summary->setWordWrap(true);
    layout->addWidget(summary);

    auto* table = new QTableWidget(static_cast<int>(content.groups.size()), 2, this);
    table->setObjectName(QStringLiteral("differenceCounts"));
    NameControl(table, QStringLiteral("Parameters that differ, by group"));
    table->setHorizontalHeaderLabels({QStringLiteral("Group"), QStringLiteral("Differ from TQX")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setTabKeyNavigation(false);
    table->setFocusPolicy(Qt::NoFocus);
    for (size_t i = 0; i < content.groups.size(); ++i) {
        const GroupId group = content.groups[i];
        const auto found = counts.find(group.Index());
        const int row = static_cast<int>(i);
        table->setItem(row, 0, new QTableWidgetItem(Q(GroupTitle(group))));
        table->setItem(row, 1,
                       new QTableWidgetItem(found == counts.end() ? QStringLiteral("none")
                                                                  : Parameters(found->second)));
    }
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int row = table->fontMetrics().height() + 4;
    table->verticalHeader()->setDefaultSectionSize(row);
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() + row * table->rowCount() +
                          2 * table->frameWidth());
    layout->addWidget(table);

    auto* show = new QPushButton(QStringLiteral("&Differences..."), this);
    show->setObjectName(QStringLiteral("differences"));
    show->setAutoDefault(false);
    show->setEnabled(!content.differences.empty());
    connect(show, &QPushButton::clicked, this, [this, differences = content.differences] {
        CompareDialog window(QStringLiteral("Differences from what TQX holds now"), differences,
                             QStringLiteral("TQX"), this);
        window.exec();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(show);
    buttons->addStretch(1);
    layout->addLayout(buttons);
}

bool SendAllDialog::Unlock() const {
    return m_unlock && m_unlock->isChecked();
}

bool SendAllDialog::KeepInhibit() const {
    return Unlock() && m_keepInhibit->isChecked();
}

bool SendAllDialog::Keep() const {
    return m_keep && m_keep->isChecked();
}
