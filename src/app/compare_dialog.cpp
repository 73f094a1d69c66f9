#include "app/compare_dialog.h"

#include "widgets/dialog_support_qt.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CompareDialog::CompareDialog(const QString& title,
                             const std::vector<ParameterDifference>& differences,
                             const QString& aName, const QString& otherName, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CompareDialog"));
    setWindowTitle(title);
    m_text = Q(DifferencesText(differences, aName.toStdString(), otherName.toStdString()));

    const QString count =
        differences.empty()
            ? QStringLiteral("No parameter differs between %1 and %2.").arg(aName, otherName)
            : QStringLiteral("%1 %2 between %3 and %4.")
                  .arg(differences.size())
                  .arg(differences.size() == 1 ? QStringLiteral("parameter differs")
                                               : QStringLiteral("parameters differ"))
                  .arg(aName, otherName);
    auto* summary = new QLabel(count, this);
    summary->setObjectName(QStringLiteral("count"));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("differences"));
    NameControl(m_list, QStringLiteral("Differences"));
    const QString other = otherName.size() > 24 ? QStringLiteral("File") : otherName;
    m_list->setHeaderLabels({QStringLiteral("Parameter"), aName, other,
                             QStringLiteral("Stored (%1)").arg(aName),
                             QStringLiteral("Stored (%1)").arg(other)});
    QTreeWidgetItem* group = nullptr;
    QString groupTitle;
    for (const ParameterDifference& d : differences) {
        const QString title = Q(GroupTitle(d.a.group));
        if (!group || title != groupTitle) {
            group = new QTreeWidgetItem(m_list, {title});
            group->setFirstColumnSpanned(true);
            group->setExpanded(true);
            groupTitle = title;
        }
        new QTreeWidgetItem(group, {Q(DifferenceLabel(d)), Q(d.a.text), Q(d.b.text),
                                    QString::number(d.a.stored), QString::number(d.b.stored)});
    }
    m_list->expandAll();
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("copy"));
    NameControl(copy, QStringLiteral("Copy the list as text"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setDefault(true);
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(m_text); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    setMinimumSize(620, 380);
}
