#include "app/history_dialog.h"

#include "editors/parameter_listing.h"
#include "operator/messages.h"
#include "widgets/dialog_support_qt.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum ControllerColumn {
    LabelColumn,
    ModelColumn,
    PortColumn,
    UnitColumn,
    LastSeenColumn,
    CountColumn
};
enum SnapshotColumn { NumberColumn, NoteColumn = 5 };
// Room for a snapshot's number, time, what, user and groups.
constexpr int kSnapshotsWidth = 900;

QPushButton* Button(const QString& text, const char* name, const QString& accessible,
                    QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    NameControl(button, accessible);
    button->setAutoDefault(false);
    return button;
}

QTableWidgetItem* Cell(const QString& text, bool editable = false) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(editable ? item->flags() | Qt::ItemIsEditable
                            : item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

HistoryDialog::HistoryDialog(HistoryStore& store, HistoryActions& actions, Messages& messages,
                             const QString& path, QWidget* parent)
    : QDialog(parent), m_store(store), m_actions(actions), m_messages(messages) {
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(QStringLiteral("History"));
    const bool writable = store.ReadOnlyReason().empty();

    auto* where = new QLabel(
        writable
            ? QStringLiteral("History: %1").arg(path)
            : QStringLiteral("History: %1\nRead only: %2").arg(path, Q(store.ReadOnlyReason())),
        this);
    where->setObjectName(QStringLiteral("where"));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_controllerList = new QTableWidget(0, 6, this);
    m_controllerList->setObjectName(QStringLiteral("controllers"));
    NameControl(m_controllerList, QStringLiteral("Controllers"));
    m_controllerList->setHorizontalHeaderLabels(
        {QStringLiteral("Label"), QStringLiteral("Model code"), QStringLiteral("Port"),
         QStringLiteral("Unit"), QStringLiteral("Last seen (UTC)"), QStringLiteral("Snapshots")});
    m_controllerList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_controllerList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_controllerList->verticalHeader()->hide();
    m_controllerList->setEditTriggers(writable ? QAbstractItemView::DoubleClicked |
                                                     QAbstractItemView::EditKeyPressed
                                               : QAbstractItemView::NoEditTriggers);
    m_controllerList->setToolTip(QStringLiteral("Double-click a label to name the controller"));

    m_snapshotList = new QTreeWidget(this);
    m_snapshotList->setObjectName(QStringLiteral("snapshots"));
    NameControl(m_snapshotList, QStringLiteral("Snapshots"));
    m_snapshotList->setHeaderLabels({QStringLiteral("#"), QStringLiteral("Time (UTC)"),
                                     QStringLiteral("What"), QStringLiteral("User"),
                                     QStringLiteral("Groups"), QStringLiteral("Note")});
    m_snapshotList->setRootIsDecorated(false);
    m_snapshotList->setSelectionMode(QAbstractItemView::ExtendedSelection);

    m_changesTitle = new QLabel(this);
    m_changesTitle->setObjectName(QStringLiteral("changesTitle"));
    m_changes = new QTreeWidget(this);
    m_changes->setObjectName(QStringLiteral("changes"));
    NameControl(m_changes, QStringLiteral("Changes since the snapshot before"));
    m_changes->setHeaderLabels(
        {QStringLiteral("Parameter"), QStringLiteral("From"), QStringLiteral("To")});

    auto* noteLabel = new QLabel(QStringLiteral("&Note:"), this);
    m_note = new QLineEdit(this);
    m_note->setObjectName(QStringLiteral("note"));
    NameControl(m_note, QStringLiteral("Note of the snapshot"));
    noteLabel->setBuddy(m_note);
    m_saveNote =
        Button(QStringLiteral("Save note"), "saveNote", QStringLiteral("Save the note"), this);
    m_note->setEnabled(writable);

    m_compareTwo = Button(QStringLiteral("&Compare two"), "compareTwo",
                          QStringLiteral("Compare the two snapshots selected"), this);
    auto* withLoader = Button(QStringLiteral("Compare with &Loader"), "compareLoader",
                              QStringLiteral("Compare the snapshot with Loader"), this);
    auto* withController = Button(QStringLiteral("Compare with con&troller"), "compareController",
                                  QStringLiteral("Compare the snapshot with the controller"), this);
    auto* load = Button(QStringLiteral("Loa&d into Loader"), "load",
                        QStringLiteral("Load the snapshot into Loader"), this);
    auto* exportFile = Button(QStringLiteral("&Export..."), "export",
                              QStringLiteral("Export the snapshot as a parameter file"), this);
    auto* report = Button(QStringLiteral("&Report PDF..."), "report",
                          QStringLiteral("Write the snapshot's parameter report as PDF"), this);
    auto* close = Button(QStringLiteral("Close"), "close", QStringLiteral("Close"), this);
    m_forOne = {withLoader, withController, load, exportFile, report};

    connect(m_controllerList, &QTableWidget::itemSelectionChanged, this, [this] {
        if (!m_filling)
            ShowSnapshots();
    });
    connect(m_controllerList, &QTableWidget::cellChanged, this, &HistoryDialog::LabelEdited);
    connect(m_snapshotList, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!m_filling)
            ShowChanges();
    });
    connect(m_saveNote, &QPushButton::clicked, this, &HistoryDialog::SaveNote);
    connect(m_note, &QLineEdit::returnPressed, this, &HistoryDialog::SaveNote);
    connect(m_compareTwo, &QPushButton::clicked, this, [this] {
        std::vector<int64_t> ids = Selected();
        std::sort(ids.begin(), ids.end());
        if (ids.size() == 2)
            m_actions.CompareSnapshots(ids[0], ids[1]);
    });
    const auto one = [this](void (HistoryActions::*act)(int64_t)) {
        return [this, act] {
            if (Selected().size() == 1)
                (m_actions.*act)(Selected().front());
        };
    };
    connect(withLoader, &QPushButton::clicked, this, one(&HistoryActions::CompareWithLoader));
    connect(withController, &QPushButton::clicked, this,
            one(&HistoryActions::CompareWithController));
    connect(exportFile, &QPushButton::clicked, this, one(&HistoryActions::Export));
    connect(report, &QPushButton::clicked, this, one(&HistoryActions::Report));
    connect(load, &QPushButton::clicked, this, [this] {
        if (Selected().size() == 1 && m_actions.Load(Selected().front()))
            accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* right = new QSplitter(Qt::Vertical, this);
    right->addWidget(m_snapshotList);
    auto* changesPane = new QWidget(right);
    auto* changesLayout = new QVBoxLayout(changesPane);
    changesLayout->setContentsMargins(0, 0, 0, 0);
    changesLayout->addWidget(m_changesTitle);
    changesLayout->addWidget(m_changes, 1);
    auto* noteRow = new QHBoxLayout;
    noteRow->addWidget(noteLabel);
    noteRow->addWidget(m_note, 1);
    noteRow->addWidget(m_saveNote);
    changesLayout->addLayout(noteRow);
    right->addWidget(changesPane);
    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->addWidget(m_controllerList);
    m_split->addWidget(right);
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 1);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_compareTwo, withLoader, withController, load, exportFile, report})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(where);
    layout->addWidget(m_split, 1);
    layout->addLayout(buttons);

    ShowControllers();
}

void HistoryDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The controllers take what their columns need, up to half; the snapshots the rest.
    const int left = std::min(m_controllersWidth, width() / 2);
    m_split->setSizes({left, std::max(width() - left, 1)});
}

QSize HistoryDialog::sizeHint() const {
    // Every column of the controllers and the snapshots' time, what and user in view, as
    // far as the screen has room.
    const QSize wanted(m_controllersWidth + kSnapshotsWidth, 680);
    const QRect room = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 720);
    return wanted.boundedTo(room.size() * 9 / 10);
}

void HistoryDialog::ShowControllers() {
    if (std::string why = m_store.Controllers(m_controllers); !why.empty())
        m_messages.Show("The history could not be read: " + why);
    m_filling = true;
    m_controllerList->setRowCount(static_cast<int>(m_controllers.size()));
    for (int row = 0; row < static_cast<int>(m_controllers.size()); ++row) {
        const ControllerEntry& c = m_controllers[static_cast<size_t>(row)];
        auto* label = Cell(Q(c.label), true);
        label->setToolTip(Q(ControllerName(c)));
        m_controllerList->setItem(row, LabelColumn, label);
        m_controllerList->setItem(row, ModelColumn,
                                  Cell(c.identity.modelCode.empty() ? QStringLiteral("not read")
                                                                    : Q(c.identity.modelCode)));
        m_controllerList->setItem(
            row, PortColumn,
            Cell(c.identity.port.empty() ? QStringLiteral("none") : Q(c.identity.port)));
        m_controllerList->setItem(row, UnitColumn, Cell(QString::number(c.identity.unit)));
        m_controllerList->setItem(row, LastSeenColumn, Cell(Q(ShortTime(c.lastSeenUtc))));
        m_controllerList->setItem(row, CountColumn, Cell(QString::number(c.snapshots)));
    }
    m_controllerList->resizeColumnsToContents();
    int& width = m_controllersWidth;
    width = 2 * m_controllerList->frameWidth() +
            m_controllerList->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < m_controllerList->columnCount(); ++c)
        width += m_controllerList->columnWidth(c);
    m_filling = false;
    SelectController(0);
}

void HistoryDialog::SelectController(int row) {
    if (row >= 0 && row < m_controllerList->rowCount())
        m_controllerList->selectRow(row);
    ShowSnapshots();
}

void HistoryDialog::ShowSnapshots() {
    const QModelIndexList rows = m_controllerList->selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : rows.front().row();
    m_snapshots.clear();
    if (row >= 0 && row < static_cast<int>(m_controllers.size()))
        if (std::string why =
                m_store.Snapshots(m_controllers[static_cast<size_t>(row)].id, m_snapshots);
            !why.empty())
            m_messages.Show("The history could not be read: " + why);
    m_filling = true;
    m_snapshotList->clear();
    for (const SnapshotEntry& s : m_snapshots)
        new QTreeWidgetItem(m_snapshotList,
                            {QString::number(s.id), Q(ShortTime(s.takenUtc)), Q(WhatText(s)),
                             Q(s.user + "@" + s.host), Q(GroupsText(s.groups)), Q(s.note)});
    for (int c = 0; c < m_snapshotList->columnCount(); ++c)
        m_snapshotList->resizeColumnToContents(c);
    m_filling = false;
    if (m_snapshotList->topLevelItemCount() > 0)
        m_snapshotList->setCurrentItem(m_snapshotList->topLevelItem(0));
    ShowChanges();
}

void HistoryDialog::SelectSnapshots(const std::vector<int64_t>& ids) {
    m_filling = true;
    m_snapshotList->clearSelection();
    for (int i = 0; i < m_snapshotList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_snapshotList->topLevelItem(i);
        if (std::count(ids.begin(), ids.end(), item->text(NumberColumn).toLongLong()))
            item->setSelected(true);
    }
    m_filling = false;
    ShowChanges();
}

std::vector<int64_t> HistoryDialog::Selected() const {
    std::vector<int64_t> ids;
    for (QTreeWidgetItem* item : m_snapshotList->selectedItems())
        ids.push_back(item->text(NumberColumn).toLongLong());
    return ids;
}

void HistoryDialog::UpdateButtons() {
    const size_t selected = Selected().size();
    m_compareTwo->setEnabled(selected == 2);
    for (QPushButton* b : m_forOne)
        b->setEnabled(selected == 1);
    m_saveNote->setEnabled(selected == 1 && m_store.ReadOnlyReason().empty());
}

void HistoryDialog::ShowChanges() {
    UpdateButtons();
    m_changes->clear();
    m_changesTitle->clear();
    const std::vector<int64_t> ids = Selected();
    const auto at = std::find_if(m_snapshots.begin(), m_snapshots.end(), [&](const auto& s) {
        return ids.size() == 1 && s.id == ids.front();
    });
    m_note->setText(at == m_snapshots.end() ? QString() : Q(at->note));
    if (at == m_snapshots.end()) {
        m_changesTitle->setText(ids.size() == 2 ? QStringLiteral("Two snapshots selected: "
                                                                 "Compare two lists what differs.")
                                                : QString());
        return;
    }
    std::optional<SnapshotEntry> before;
    ParameterImage now, then;
    SetStartValues(now);
    SetStartValues(then);
    std::string why = m_store.Previous(at->id, before);
    if (why.empty())
        why = m_store.LoadSet(at->id, now);
    if (why.empty() && before)
        why = m_store.LoadSet(before->id, then);
    if (!why.empty()) {
        m_changesTitle->setText(QStringLiteral("Cannot be read: ") + Q(why));
        return;
    }
    if (!before) {
        m_changesTitle->setText(
            QStringLiteral("Snapshot %1 is the first of this controller.").arg(at->id));
        return;
    }
    ListingOptions every;
    every.patternFieldsPerSegment = true;
    const std::vector<ParameterDifference> changes = DiffParameters(then, now, every);
    const QString since = QStringLiteral("since snapshot %1 (%2, %3)")
                              .arg(before->id)
                              .arg(Q(ShortTime(before->takenUtc)), Q(WhatText(*before)));
    m_changesTitle->setText(changes.empty() ? QStringLiteral("Nothing changed %1.").arg(since)
                                            : QStringLiteral("%1 %2 %3:")
                                                  .arg(changes.size())
                                                  .arg(changes.size() == 1
                                                           ? QStringLiteral("parameter changed")
                                                           : QStringLiteral("parameters changed"))
                                                  .arg(since));
    QTreeWidgetItem* group = nullptr;
    for (const ParameterDifference& d : changes) {
        const QString title = Q(GroupTitle(d.a.group));
        if (!group || group->text(0) != title) {
            group = new QTreeWidgetItem(m_changes, {title});
            group->setFirstColumnSpanned(true);
        }
        new QTreeWidgetItem(
            group, {Q(DifferenceLabel(d)), Q(d.a.text) + QStringLiteral("  →"), Q(d.b.text)});
    }
    m_changes->expandAll();
    for (int c = 0; c < m_changes->columnCount(); ++c)
        m_changes->resizeColumnToContents(c);
}

void HistoryDialog::LabelEdited(int row, int column) {
    if (m_filling || column != LabelColumn || row < 0 ||
        row >= static_cast<int>(m_controllers.size()))
        return;
    ControllerEntry& c = m_controllers[static_cast<size_t>(row)];
    const std::string label =
        m_controllerList->item(row, LabelColumn)->text().trimmed().toStdString();
    if (std::string why = m_store.SetLabel(c.id, label); !why.empty()) {
        m_messages.Show("The label could not be saved: " + why);
        m_filling = true;
        m_controllerList->item(row, LabelColumn)->setText(Q(c.label));
        m_filling = false;
        return;
    }
    c.label = label;
}

void HistoryDialog::SaveNote() {
    const std::vector<int64_t> ids = Selected();
    if (ids.size() != 1 || !m_store.ReadOnlyReason().empty())
        return;
    const std::string note = m_note->text().trimmed().toStdString();
    if (std::string why = m_store.SetNote(ids.front(), note); !why.empty()) {
        m_messages.Show("The note could not be saved: " + why);
        return;
    }
    for (SnapshotEntry& s : m_snapshots)
        if (s.id == ids.front())
            s.note = note;
    for (QTreeWidgetItem* item : m_snapshotList->selectedItems())
        item->setText(NoteColumn, Q(note));
}
