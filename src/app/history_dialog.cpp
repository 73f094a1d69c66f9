#include "app/history_dialog.h"

#include "history/postgres_session.h"

#include "app/history_pickers.h"
#include "app/history_reader.h"
#include "app/history_snapshot_model.h"
#include "history/history_location.h"
#include "operator/messages.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/window_fit_qt.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
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
    CountColumn,
    KeyColumn
};

QTableWidgetItem* Cell(const QString& text, bool editable = false) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(editable ? item->flags() | Qt::ItemIsEditable
                            : item->flags() & ~Qt::ItemIsEditable);
    item->setToolTip(text);
    return item;
}

QTableWidgetItem* NumberCell(int64_t n) {
    QTableWidgetItem* item = Cell(QString::number(n));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// Each column before the note as wide as its header and its widest text among the rows in
// view (never more rows: the list may hold thousands); the note takes the rest. Where that
// leaves the note too little room, the what column gives way (its cells show their whole
// text on hover).
void FitSnapshotColumns(QTableView* view, int rows) {
    const QFontMetrics text(view->font());
    const int em = text.averageCharWidth();
    QAbstractItemModel* model = view->model();
    std::vector<int> widths;
    for (int c = 0; c < SnapshotPages::Note; ++c) {
        int width = QFontMetrics(view->horizontalHeader()->font())
                        .horizontalAdvance(model->headerData(c, Qt::Horizontal).toString()) +
                    3 * em;
        for (int r = 0; r < std::min(rows, model->rowCount()); ++r)
            width = std::max(width,
                             text.horizontalAdvance(model->index(r, c).data().toString()) + 2 * em);
        widths.push_back(c == SnapshotPages::What ? std::min(width, 48 * em) : width);
    }
    int total = 0;
    for (int w : widths)
        total += w;
    const int room = view->viewport()->width() - 24 * em; // the note's share
    int& what = widths[SnapshotPages::What];
    if (total > room)
        what = std::max(what - (total - room), std::min(what, 16 * em));
    for (int c = 0; c < static_cast<int>(widths.size()); ++c)
        view->horizontalHeader()->resizeSection(c, widths[static_cast<size_t>(c)]);
}

} // namespace

HistoryDialog::HistoryDialog(const std::string& path, HistoryActions& actions, Messages& messages,
                             Questions& questions, FilePrompts& prompts, QWidget* parent)
    : QDialog(parent), m_path(path), m_actions(actions), m_messages(messages),
      m_questions(questions), m_prompts(prompts) {
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(QStringLiteral("History"));
    m_reader = std::make_unique<HistoryReader>(
        path,
        [this](const std::string& why, const std::string& readOnly) { Opened(why, readOnly); });

    // A server by its name alone: its connection string may hold what no window shows.
    m_where = new QLabel(QStringLiteral("History: %1")
                             .arg(IsServerConnection(path)
                                      ? QStringLiteral("shared on ") + Q(ServerName(path))
                                      : Q(path)),
                         this);
    m_where->setObjectName(QStringLiteral("where"));
    m_where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path or reason is cut at the window's edge, never widens it past the screen.
    m_where->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_where->setToolTip(m_where->text());

    const QString zone = Q(ZoneName(UtcNow()));
    m_controllerList = new QTableWidget(0, 7, this);
    m_controllerList->setObjectName(QStringLiteral("controllers"));
    NameControl(m_controllerList, QStringLiteral("Controllers"));
    m_controllerList->setHorizontalHeaderLabels(
        {QStringLiteral("Label"), QStringLiteral("Model code"), QStringLiteral("Port"),
         QStringLiteral("Unit"), QStringLiteral("Last seen (%1)").arg(zone),
         QStringLiteral("Snapshots"), QStringLiteral("Stable port name")});
    m_controllerList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_controllerList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_controllerList->verticalHeader()->hide();
    m_controllerList->horizontalHeader()->setStretchLastSection(true);
    m_controllerList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_controllerList->setWordWrap(false);

    m_snapshots = new SnapshotPages(
        *m_reader,
        [this](const std::string& why) {
            m_messages.Show("The history could not be read: " + why);
        },
        this);
    m_snapshotList = new QTableView(this);
    m_snapshotList->setObjectName(QStringLiteral("snapshots"));
    NameControl(m_snapshotList, QStringLiteral("Snapshots"));
    m_snapshotList->setModel(m_snapshots);
    m_snapshotList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_snapshotList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_snapshotList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_snapshotList->verticalHeader()->hide();
    m_snapshotList->setWordWrap(false);
    m_snapshotList->setShowGrid(false);
    m_snapshotList->setTextElideMode(Qt::ElideMiddle);
    // Every row as high as one line: the list never measures its rows.
    m_snapshotList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_snapshotList->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_snapshotList->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_snapshotList->horizontalHeader()->setStretchLastSection(true);
    connect(m_snapshots, &SnapshotPages::PageShown, this, &HistoryDialog::PageShown);
    // The next page as soon as the list is scrolled into its last screenful.
    connect(m_snapshotList->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int at) {
        const QScrollBar* bar = m_snapshotList->verticalScrollBar();
        if (at >= bar->maximum() - bar->pageStep())
            m_snapshots->fetchMore(QModelIndex());
    });

    m_changesTitle = new QLabel(this);
    m_changesTitle->setObjectName(QStringLiteral("changesTitle"));
    m_changesTitle->setWordWrap(true);
    m_changes = new QTreeWidget(this);
    m_changes->setObjectName(QStringLiteral("changes"));
    NameControl(m_changes, QStringLiteral("Changes since the snapshot before"));
    m_changes->setHeaderLabels(
        {QStringLiteral("Parameter"), QStringLiteral("From"), QStringLiteral("To")});
    m_changes->setUniformRowHeights(true);

    auto* noteLabel = new QLabel(QStringLiteral("&Note:"), this);
    m_note = new QLineEdit(this);
    m_note->setObjectName(QStringLiteral("note"));
    NameControl(m_note, QStringLiteral("Note of the snapshot"));
    noteLabel->setBuddy(m_note);
    m_saveNote =
        MakeButton(QStringLiteral("Save note"), "saveNote", QStringLiteral("Save the note"), this);
    m_note->setEnabled(false);

    connect(m_controllerList, &QTableWidget::itemSelectionChanged, this, [this] {
        if (!m_filling)
            ShowSnapshots();
    });
    connect(m_controllerList, &QTableWidget::cellChanged, this, &HistoryDialog::LabelEdited);
    connect(m_snapshotList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_filling)
            AskChanges();
    });
    connect(m_saveNote, &QPushButton::clicked, this, &HistoryDialog::SaveNote);
    connect(m_note, &QLineEdit::returnPressed, this, &HistoryDialog::SaveNote);

    m_join = MakeButton(QStringLiteral("&Join into..."), "join",
                        QStringLiteral("Join the controller into another"), this);
    m_audit = MakeButton(QStringLiteral("&Audit report..."), "audit",
                         QStringLiteral("Write the controller's audit report"), this);
    connect(m_join, &QPushButton::clicked, this, &HistoryDialog::JoinInto);
    connect(m_audit, &QPushButton::clicked, this, &HistoryDialog::WriteAuditReport);
    auto* top = new QHBoxLayout;
    top->addWidget(m_controllerList, 1);
    auto* controllerButtons = new QVBoxLayout;
    controllerButtons->addWidget(m_join);
    controllerButtons->addWidget(m_audit);
    controllerButtons->addStretch(1);
    top->addLayout(controllerButtons);

    auto* changesPane = new QWidget(this);
    auto* changesLayout = new QVBoxLayout(changesPane);
    changesLayout->setContentsMargins(0, 0, 0, 0);
    changesLayout->addWidget(m_changesTitle);
    changesLayout->addWidget(m_changes, 1);
    auto* noteRow = new QHBoxLayout;
    noteRow->addWidget(noteLabel);
    noteRow->addWidget(m_note, 1);
    noteRow->addWidget(m_saveNote);
    changesLayout->addLayout(noteRow);
    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->addWidget(m_snapshotList);
    m_split->addWidget(changesPane);
    m_split->setStretchFactor(0, 3);
    m_split->setStretchFactor(1, 2);
    m_split->setChildrenCollapsible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_where);
    layout->addLayout(top, 2);
    layout->addWidget(m_split, 5);
    layout->addWidget(MakeButtons());
    resize(sizeHint()); // not the two thirds of the screen a window takes by itself
    CenterOnParent(this);
    UpdateButtons();
}

HistoryDialog::~HistoryDialog() = default;

void HistoryDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The changes pane as wide as its title needs to read in two lines, the list the rest.
    const int changes = std::min(width() * 2 / 5, fontMetrics().averageCharWidth() * 70);
    m_split->setSizes({std::max(width() - changes, 1), changes});
}

QSize HistoryDialog::sizeHint() const {
    // As much of the screen as it leaves room for: an auditor reads every column.
    const QRect room = screen() ? screen()->availableGeometry() : QRect(0, 0, 1366, 768);
    return QSize(room.width() * 95 / 100, room.height() * 92 / 100);
}

bool HistoryDialog::Settled() const {
    return m_opened && m_reader->Pending() == 0 && !m_snapshots->Asking() &&
           (!m_longReader || m_longReader->Pending() == 0);
}

void HistoryDialog::Opened(const std::string& why, const std::string& readOnly) {
    if (!why.empty()) {
        m_messages.Show("The history cannot be shown: " + why);
        reject();
        return;
    }
    m_opened = true;
    m_writable = readOnly.empty();
    if (!m_writable) {
        m_where->setText(m_where->text() + QStringLiteral("\nRead only: %1").arg(Q(readOnly)));
        m_where->setToolTip(m_where->text());
    }
    m_note->setEnabled(m_writable);
    m_controllerList->setEditTriggers(m_writable ? QAbstractItemView::DoubleClicked |
                                                       QAbstractItemView::EditKeyPressed
                                                 : QAbstractItemView::NoEditTriggers);
    AskControllers(0);
}

void HistoryDialog::AskControllers(int64_t select) {
    m_reader->Ask([this, select](HistoryStore& store) -> HistoryReader::Answer {
        auto controllers = std::make_shared<std::vector<ControllerEntry>>();
        const std::string why = store.Controllers(*controllers);
        return [this, controllers, why, select] {
            if (!why.empty())
                m_messages.Show("The history could not be read: " + why);
            ShowControllers(*controllers, select);
        };
    });
}

void HistoryDialog::ShowControllers(const std::vector<ControllerEntry>& controllers,
                                    int64_t select) {
    m_controllers = controllers;
    const QString zone = Q(ZoneName(UtcNow()));
    m_filling = true;
    m_controllerList->setRowCount(static_cast<int>(m_controllers.size()));
    int selectRow = 0;
    for (int row = 0; row < static_cast<int>(m_controllers.size()); ++row) {
        const ControllerEntry& c = m_controllers[static_cast<size_t>(row)];
        if (c.id == select)
            selectRow = row;
        auto* label = Cell(Q(c.label), true);
        label->setToolTip(
            QStringLiteral("%1\nDouble-click to name the controller").arg(Q(ControllerName(c))));
        m_controllerList->setItem(row, LabelColumn, label);
        m_controllerList->setItem(row, ModelColumn,
                                  Cell(c.identity.modelCode.empty() ? QStringLiteral("not read")
                                                                    : Q(c.identity.modelCode)));
        m_controllerList->setItem(
            row, PortColumn,
            Cell(c.identity.port.empty() ? QStringLiteral("none") : Q(c.identity.port)));
        m_controllerList->setItem(row, UnitColumn, NumberCell(c.identity.unit));
        m_controllerList->setItem(row, LastSeenColumn, Cell(LocalTimeCell(c.lastSeenUtc, zone)));
        m_controllerList->setItem(row, CountColumn, NumberCell(c.snapshots));
        // What keeps the controller's timeline one when its cable moves.
        m_controllerList->setItem(row, KeyColumn, Cell(Q(c.portKey)));
    }
    // A history holds a few controllers: each column fits every one of them, up to a
    // width that leaves the others in view (a cell shows its whole text on hover).
    m_controllerList->resizeColumnsToContents();
    const int most = fontMetrics().averageCharWidth() * 48;
    for (int c = 0; c < m_controllerList->columnCount(); ++c)
        m_controllerList->setColumnWidth(c, std::min(m_controllerList->columnWidth(c), most));
    m_controllerList->horizontalHeader()->setStretchLastSection(false);
    m_controllerList->horizontalHeader()->setStretchLastSection(true);
    m_filling = false;
    SelectController(selectRow);
}

void HistoryDialog::SelectController(int row) {
    if (row >= 0 && row < m_controllerList->rowCount())
        m_controllerList->selectRow(row);
    ShowSnapshots();
}

const ControllerEntry* HistoryDialog::Current() const {
    const QModelIndexList rows = m_controllerList->selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : rows.front().row();
    return row >= 0 && row < static_cast<int>(m_controllers.size())
               ? &m_controllers[static_cast<size_t>(row)]
               : nullptr;
}

void HistoryDialog::ShowSnapshots() {
    m_filling = true;
    const ControllerEntry* c = Current();
    m_snapshots->ShowController(c ? c->id : 0);
    m_filling = false;
    AskChanges();
}

void HistoryDialog::PageShown(bool first) {
    if (!first)
        return;
    const int inView = m_snapshotList->viewport()->height() /
                           std::max(m_snapshotList->verticalHeader()->defaultSectionSize(), 1) +
                       1;
    FitSnapshotColumns(m_snapshotList, inView);
    if (m_snapshots->rowCount() > 0)
        m_snapshotList->selectRow(0);
}

void HistoryDialog::SelectSnapshots(const std::vector<int64_t>& ids) {
    m_filling = true;
    m_snapshotList->clearSelection();
    QItemSelection rows;
    for (int64_t id : ids)
        if (const int row = m_snapshots->RowOf(id); row >= 0)
            rows.select(m_snapshots->index(row, 0),
                        m_snapshots->index(row, SnapshotPages::ColumnCount - 1));
    m_snapshotList->selectionModel()->select(rows, QItemSelectionModel::Select);
    m_filling = false;
    AskChanges();
}

std::vector<int64_t> HistoryDialog::Selected() const {
    std::vector<int64_t> ids;
    for (const QModelIndex& index : m_snapshotList->selectionModel()->selectedRows())
        if (const SnapshotEntry* s = m_snapshots->At(index.row()))
            ids.push_back(s->id);
    return ids;
}

void HistoryDialog::UpdateButtons() {
    const size_t selected = Selected().size();
    m_compareTwo->setEnabled(selected == 2);
    for (QPushButton* b : m_forOne)
        b->setEnabled(selected == 1);
    m_saveNote->setEnabled(selected == 1 && m_writable);
    m_move->setEnabled(selected == 1 && m_writable && m_controllers.size() > 1);
    m_join->setEnabled(Current() && m_writable && m_controllers.size() > 1);
    const bool longFree = !m_longReader || m_longReader->Pending() == 0;
    m_audit->setEnabled(Current() != nullptr && longFree);
    m_verify->setEnabled(m_opened && longFree);
}
