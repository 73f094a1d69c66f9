#include "app/history_snapshot_model.h"

#include "app/history_reader.h"
#include "history/history_location.h"
#include "widgets/dialog_support_qt.h"

#include <algorithm>

QString LocalTimeCell(const std::string& takenUtc, const QString& zone) {
    const QString zoneThen = Q(ZoneName(takenUtc));
    return zoneThen == zone ? Q(ShortTime(takenUtc))
                            : Q(ShortTime(takenUtc)) + QLatin1Char(' ') + zoneThen;
}

SnapshotPages::SnapshotPages(HistoryReader& reader, std::function<void(const std::string&)> failed,
                             QObject* parent)
    : QAbstractTableModel(parent), m_reader(reader), m_failed(std::move(failed)),
      m_zone(Q(ZoneName(UtcNow()))) {}

void SnapshotPages::ShowController(int64_t id) {
    beginResetModel();
    m_rows.clear();
    m_controller = id;
    ++m_generation;
    m_asking = false;
    m_end = id == 0;
    endResetModel();
    fetchMore(QModelIndex());
}

const SnapshotEntry* SnapshotPages::At(int row) const {
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? &m_rows[static_cast<size_t>(row)]
                                                             : nullptr;
}

int SnapshotPages::RowOf(int64_t id) const {
    // Newest first: the ids fall down the list.
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), id,
                                     [](const SnapshotEntry& s, int64_t v) { return s.id > v; });
    return at != m_rows.end() && at->id == id ? static_cast<int>(at - m_rows.begin()) : -1;
}

void SnapshotPages::SetNote(int64_t id, const std::string& note) {
    if (const int row = RowOf(id); row >= 0) {
        m_rows[static_cast<size_t>(row)].note = note;
        emit dataChanged(index(row, Note), index(row, Note));
    }
}

int SnapshotPages::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SnapshotPages::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString SnapshotPages::Text(const SnapshotEntry& s, int column) const {
    switch (column) {
    case Number:
        return QString::number(s.id);
    case Time:
        return LocalTimeCell(s.takenUtc, m_zone);
    case What:
        return Q(WhatText(s));
    case User:
        return Q(s.user + "@" + s.host);
    case Groups:
        return Q(GroupsText(s.groups));
    case Note:
        return Q(s.note);
    default:
        return QString();
    }
}

QVariant SnapshotPages::data(const QModelIndex& index, int role) const {
    const SnapshotEntry* s = index.isValid() ? At(index.row()) : nullptr;
    if (!s)
        return QVariant();
    if (role == Qt::DisplayRole)
        return Text(*s, index.column());
    // A cell too narrow for its text shows it whole on hover; the time with its zone.
    if (role == Qt::ToolTipRole) {
        if (index.column() == Time)
            return Q(ShortTimeWithZone(s->takenUtc));
        if (index.column() == What && !s->program.empty())
            return Text(*s, What) + QStringLiteral("\n") + Q(s->program);
        return Text(*s, index.column());
    }
    if (role == Qt::TextAlignmentRole && index.column() == Number)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant SnapshotPages::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Number:
        return QStringLiteral("#");
    case Time:
        return QStringLiteral("Time (%1)").arg(m_zone);
    case What:
        return QStringLiteral("What");
    case User:
        return QStringLiteral("User");
    case Groups:
        return QStringLiteral("Groups");
    case Note:
        return QStringLiteral("Note");
    default:
        return QVariant();
    }
}

bool SnapshotPages::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !m_end && !m_asking;
}

void SnapshotPages::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    m_asking = true;
    SnapshotQuery query;
    query.controllerId = m_controller;
    query.beforeId = m_rows.empty() ? 0 : m_rows.back().id;
    query.limit = kPageRows;
    const uint64_t generation = m_generation;
    m_reader.Ask([this, query, generation](HistoryStore& store) -> HistoryReader::Answer {
        auto page = std::make_shared<std::vector<SnapshotEntry>>();
        std::string why = store.Snapshots(query, *page);
        return [this, page, why, generation] {
            if (generation != m_generation)
                return; // asked for a controller no longer shown
            m_asking = false;
            m_end = !why.empty() || page->size() < static_cast<size_t>(kPageRows);
            const bool first = m_rows.empty();
            if (first && !page->empty()) {
                // The column is headed with the zone of the newest: most rows are in it.
                m_zone = Q(ZoneName(page->front().takenUtc));
                emit headerDataChanged(Qt::Horizontal, Time, Time);
            }
            if (!page->empty()) {
                const int at = static_cast<int>(m_rows.size());
                beginInsertRows(QModelIndex(), at, at + static_cast<int>(page->size()) - 1);
                m_rows.insert(m_rows.end(), std::make_move_iterator(page->begin()),
                              std::make_move_iterator(page->end()));
                endInsertRows();
            }
            if (!why.empty() && m_failed)
                m_failed(why);
            emit PageShown(first);
        };
    });
}
