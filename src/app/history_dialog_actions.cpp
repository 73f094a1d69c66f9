// What the History window's buttons and fields do: each asks the history on the window's
// reader and shows the answer when it comes.
#include "app/history_dialog.h"

#include "app/history_pickers.h"
#include "app/history_reader.h"
#include "app/history_snapshot_model.h"
#include "editors/audit_report.h"
#include "editors/audit_report_qtcore.h"
#include "editors/parameter_listing.h"
#include "files/whole_file.h"
#include "history/history_location.h"
#include "image/shown_text.h"
#include "operator/file_prompts.h"
#include "operator/messages.h"
#include "operator/questions.h"
#include "widgets/dialog_support_qt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// "#2 \"Furnace 3\" (PXT4TEY1T-00121, unit 1, port rtu:/dev/ttyUSB0 9600 8E1)".
std::string Described(const ControllerEntry& c) {
    const std::string what =
        (c.identity.modelCode.empty() ? "model code not read" : c.identity.modelCode) + ", " +
        PortText(c);
    return ShownText("#" + std::to_string(c.id) + " " +
                     (c.label.empty() ? "" : "\"" + c.label + "\" ") + "(" + what + ")");
}

QStringList DescribedAll(const std::vector<ControllerEntry>& controllers) {
    QStringList texts;
    for (const ControllerEntry& c : controllers)
        texts << Q(Described(c) + ", " + std::to_string(c.snapshots) + " snapshots");
    return texts;
}

struct Changes {
    std::string why;
    std::optional<SnapshotEntry> before;
    std::vector<ParameterDifference> differences;
};

void ShowChanges(const SnapshotEntry& at, const Changes& found, QLabel* title, QTreeWidget* list) {
    list->clear();
    if (!found.why.empty()) {
        title->setText(QStringLiteral("Cannot be read: ") + Q(found.why));
        return;
    }
    if (!found.before) {
        title->setText(QStringLiteral("Snapshot %1 is the first of this controller.").arg(at.id));
        return;
    }
    const size_t n = found.differences.size();
    const QString since =
        QStringLiteral("since snapshot %1 (%2, %3)")
            .arg(found.before->id)
            .arg(Q(ShortTimeWithZone(found.before->takenUtc)), Q(WhatText(*found.before)));
    title->setText(n == 0 ? QStringLiteral("Nothing changed %1.").arg(since)
                          : QStringLiteral("%1 %2 %3:")
                                .arg(n)
                                .arg(n == 1 ? QStringLiteral("parameter changed")
                                            : QStringLiteral("parameters changed"))
                                .arg(since));
    QTreeWidgetItem* group = nullptr;
    for (const ParameterDifference& d : found.differences) {
        const QString name = Q(GroupTitle(d.a.group));
        if (!group || group->text(0) != name) {
            group = new QTreeWidgetItem(list, {name});
            group->setFirstColumnSpanned(true);
        }
        auto* row = new QTreeWidgetItem(
            group, {Q(DifferenceLabel(d)), Q(d.a.text) + QStringLiteral("  →"), Q(d.b.text)});
        for (int c = 0; c < 3; ++c)
            row->setToolTip(c, row->text(c));
    }
    list->expandAll();
    // The tree measures only the rows in view, however many changed.
    for (int c = 0; c < list->columnCount(); ++c)
        list->resizeColumnToContents(c);
}

} // namespace

void HistoryDialog::AskChanges() {
    UpdateButtons();
    const std::vector<int64_t> ids = Selected();
    const SnapshotEntry* at =
        ids.size() == 1 ? m_snapshots->At(m_snapshots->RowOf(ids.front())) : nullptr;
    m_note->setText(at ? Q(at->note) : QString());
    const uint64_t asked = ++m_changesAsked;
    if (!at) {
        m_changes->clear();
        m_changesTitle->setText(ids.size() == 2 ? QStringLiteral("Two snapshots selected: "
                                                                 "Compare two lists what differs.")
                                                : QString());
        return;
    }
    const SnapshotEntry snapshot = *at;
    m_reader->Ask([this, snapshot, asked](HistoryStore& store) -> HistoryReader::Answer {
        if (asked != m_changesAsked)
            return {}; // another snapshot was selected meanwhile
        auto found = std::make_shared<Changes>();
        ParameterImage now, then;
        SetStartValues(now);
        SetStartValues(then);
        found->why = store.Previous(snapshot.id, found->before);
        if (found->why.empty())
            found->why = store.LoadSet(snapshot.id, now);
        if (found->why.empty() && found->before)
            found->why = store.LoadSet(found->before->id, then);
        if (found->why.empty() && found->before) {
            ListingOptions every;
            every.patternFieldsPerSegment = true;
            found->differences = DiffParameters(then, now, every);
        }
        return [this, snapshot, found, asked] {
            if (asked == m_changesAsked)
                ShowChanges(snapshot, *found, m_changesTitle, m_changes);
        };
    });
}

void HistoryDialog::LabelEdited(int row, int column) {
    if (m_filling || column != 0 || row < 0 || row >= static_cast<int>(m_controllers.size()))
        return;
    const int64_t id = m_controllers[static_cast<size_t>(row)].id;
    const std::string label = m_controllerList->item(row, 0)->text().trimmed().toStdString();
    m_reader->Ask([this, id, label](HistoryStore& store) -> HistoryReader::Answer {
        const std::string why = store.SetLabel(id, label);
        return [this, id, label, why] {
            const auto c = std::find_if(m_controllers.begin(), m_controllers.end(),
                                        [id](const ControllerEntry& e) { return e.id == id; });
            if (c == m_controllers.end())
                return;
            if (why.empty())
                c->label = label;
            else
                m_messages.Show("The label could not be saved: " + why);
            m_filling = true;
            m_controllerList->item(static_cast<int>(c - m_controllers.begin()), 0)
                ->setText(Q(c->label));
            m_filling = false;
        };
    });
}

void HistoryDialog::SaveNote() {
    const std::vector<int64_t> ids = Selected();
    if (ids.size() != 1 || !m_writable)
        return;
    const int64_t id = ids.front();
    const std::string note = m_note->text().trimmed().toStdString();
    m_reader->Ask([this, id, note](HistoryStore& store) -> HistoryReader::Answer {
        const std::string why = store.SetNote(id, note);
        return [this, id, note, why] {
            if (why.empty())
                m_snapshots->SetNote(id, note);
            else
                m_messages.Show("The note could not be saved: " + why);
        };
    });
}

void HistoryDialog::WithSnapshots(const std::vector<int64_t>& ids,
                                  std::function<void(const std::vector<ReadSnapshot>&)> then) {
    m_reader->Ask([this, ids, then](HistoryStore& store) -> HistoryReader::Answer {
        auto read = std::make_shared<std::vector<ReadSnapshot>>(ids.size());
        std::vector<ControllerEntry> controllers;
        std::string why = store.Controllers(controllers);
        int64_t failed = 0;
        for (size_t i = 0; i < ids.size() && why.empty(); ++i) {
            ReadSnapshot& r = (*read)[i];
            failed = ids[i];
            SetStartValues(r.set);
            why = store.Snapshot(ids[i], r.entry);
            if (why.empty())
                why = store.LoadSet(ids[i], r.set);
            for (const ControllerEntry& c : controllers)
                if (c.id == r.entry.controllerId)
                    r.controller = c;
            r.name = "snapshot " + std::to_string(ids[i]) + " of " + ControllerName(r.controller) +
                     ", taken " + ShortTimeWithZone(r.entry.takenUtc);
        }
        return [this, read, why, failed, then] {
            if (why.empty())
                then(*read);
            else
                m_messages.Show("Snapshot " + std::to_string(failed) + " cannot be read: " + why);
        };
    });
}

void HistoryDialog::JoinInto() {
    const ControllerEntry* current = Current();
    if (!current || !m_writable)
        return;
    const ControllerEntry from = *current;
    std::vector<ControllerEntry> others;
    std::copy_if(m_controllers.begin(), m_controllers.end(), std::back_inserter(others),
                 [&](const ControllerEntry& c) { return c.id != from.id; });
    const int pick =
        PickOne(this, QStringLiteral("Join into"),
                QStringLiteral("%1 is the same controller as:").arg(Q(Described(from))),
                DescribedAll(others));
    if (pick < 0)
        return;
    const ControllerEntry into = others[static_cast<size_t>(pick)];
    if (!m_questions.Ask("Join " + Described(from) + " into " + Described(into) + "?\n\nIts " +
                         std::to_string(from.snapshots) +
                         " snapshots, and every snapshot recorded under its port and unit from "
                         "now on, will belong to #" +
                         std::to_string(into.id) + ". The join is recorded in the history."))
        return;
    m_reader->Ask([this, from, into](HistoryStore& store) -> HistoryReader::Answer {
        const std::string why = store.JoinControllers(from.id, into.id);
        return [this, into, why] {
            if (!why.empty())
                m_messages.Show("The controllers could not be joined: " + why);
            AskControllers(into.id);
        };
    });
}

void HistoryDialog::MoveTo() {
    const std::vector<int64_t> ids = Selected();
    const ControllerEntry* current = Current();
    const SnapshotEntry* at =
        ids.size() == 1 ? m_snapshots->At(m_snapshots->RowOf(ids.front())) : nullptr;
    if (!at || !current || !m_writable)
        return;
    const SnapshotEntry snapshot = *at;
    const ControllerEntry from = *current;
    std::vector<ControllerEntry> others;
    std::copy_if(m_controllers.begin(), m_controllers.end(), std::back_inserter(others),
                 [&](const ControllerEntry& c) { return c.id != from.id; });
    const std::string what = "snapshot " + std::to_string(snapshot.id) + " (" +
                             ShortTimeWithZone(snapshot.takenUtc) + ", " + WhatText(snapshot) + ")";
    const int pick = PickOne(
        this, QStringLiteral("Move to"),
        QStringLiteral("Move %1 to the controller it was taken of:").arg(Q(ShownText(what))),
        DescribedAll(others));
    if (pick < 0)
        return;
    const ControllerEntry to = others[static_cast<size_t>(pick)];
    if (!m_questions.Ask("Move " + ShownText(what) + " from " + Described(from) + " to " +
                         Described(to) + "?\n\nThe move is recorded in the history."))
        return;
    m_reader->Ask([this, snapshot, from, to](HistoryStore& store) -> HistoryReader::Answer {
        const std::string why = store.MoveSnapshot(snapshot.id, to.id);
        return [this, from, why] {
            if (!why.empty())
                m_messages.Show("The snapshot could not be moved: " + why);
            AskControllers(from.id);
        };
    });
}

QWidget* HistoryDialog::MakeButtons() {
    m_compareTwo = MakeButton(QStringLiteral("&Compare two"), "compareTwo",
                              QStringLiteral("Compare the two snapshots selected"), this);
    auto* withLoader = MakeButton(QStringLiteral("Compare with &Loader"), "compareLoader",
                                  QStringLiteral("Compare the snapshot with Loader"), this);
    auto* withController =
        MakeButton(QStringLiteral("Compare with con&troller"), "compareController",
                   QStringLiteral("Compare the snapshot with the controller"), this);
    auto* load = MakeButton(QStringLiteral("Loa&d into Loader"), "load",
                            QStringLiteral("Load the snapshot into Loader"), this);
    auto* exportFile = MakeButton(QStringLiteral("&Export..."), "export",
                                  QStringLiteral("Export the snapshot as a parameter file"), this);
    auto* report = MakeButton(QStringLiteral("&Report PDF..."), "report",
                              QStringLiteral("Write the snapshot's parameter report as PDF"), this);
    m_move = MakeButton(QStringLiteral("&Move to..."), "move",
                        QStringLiteral("Move the snapshot to another controller"), this);
    m_verify = MakeButton(QStringLiteral("&Verify chain"), "verify",
                          QStringLiteral("Verify the history's chain"), this);
    auto* refresh = MakeButton(QStringLiteral("Re&fresh"), "refresh",
                               QStringLiteral("Read the history again: what other programs and "
                                              "PCs recorded since (F5)"),
                               this);
    refresh->setShortcut(QKeySequence::Refresh);
    auto* shared = MakeButton(QStringLiteral("S&hared history..."), "shared",
                              QStringLiteral("Record into the plant's history on a PostgreSQL "
                                             "server, or into this PC's file"),
                              this);
    auto* close = MakeButton(QStringLiteral("Close"), "close", QStringLiteral("Close"), this);
    m_forOne = {withLoader, withController, load, exportFile, report};
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setWordWrap(true);

    connect(m_compareTwo, &QPushButton::clicked, this, [this] {
        std::vector<int64_t> ids = Selected();
        std::sort(ids.begin(), ids.end());
        if (ids.size() == 2)
            WithSnapshots(ids, [this](const std::vector<ReadSnapshot>& read) {
                m_actions.CompareSnapshots(read[0], read[1]);
            });
    });
    const auto one = [this](void (HistoryActions::*act)(const ReadSnapshot&)) {
        return [this, act] {
            if (Selected().size() == 1)
                WithSnapshots(Selected(), [this, act](const std::vector<ReadSnapshot>& read) {
                    (m_actions.*act)(read.front());
                });
        };
    };
    connect(withLoader, &QPushButton::clicked, this, one(&HistoryActions::CompareWithLoader));
    connect(withController, &QPushButton::clicked, this,
            one(&HistoryActions::CompareWithController));
    connect(exportFile, &QPushButton::clicked, this, one(&HistoryActions::Export));
    connect(report, &QPushButton::clicked, this, one(&HistoryActions::Report));
    connect(load, &QPushButton::clicked, this, [this] {
        if (Selected().size() == 1)
            WithSnapshots(Selected(), [this](const std::vector<ReadSnapshot>& read) {
                if (m_actions.Load(read.front()))
                    accept();
            });
    });
    connect(m_move, &QPushButton::clicked, this, &HistoryDialog::MoveTo);
    connect(m_verify, &QPushButton::clicked, this, &HistoryDialog::VerifyChain);
    connect(refresh, &QPushButton::clicked, this, &HistoryDialog::Refresh);
    connect(shared, &QPushButton::clicked, this, &HistoryDialog::AskSharedHistory);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* box = new QWidget(this);
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* snapshotRow = new QHBoxLayout;
    for (QPushButton* b : {m_compareTwo, withLoader, withController, load, exportFile, report})
        snapshotRow->addWidget(b);
    snapshotRow->addWidget(m_move);
    snapshotRow->addStretch(1);
    auto* chainRow = new QHBoxLayout;
    chainRow->addWidget(refresh);
    chainRow->addWidget(m_verify);
    chainRow->addWidget(m_status, 1);
    chainRow->addWidget(shared);
    chainRow->addWidget(close);
    rows->addLayout(snapshotRow);
    rows->addLayout(chainRow);
    return box;
}
