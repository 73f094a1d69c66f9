#pragma once

#include "history/history_store.h"

#include <QAbstractTableModel>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class HistoryReader;

// One controller's snapshots, newest first, as the History window lists them: a page at a
// time, the next asked from the history's reader when the list is scrolled near its end,
// so that opening and scrolling take as long for 100,000 snapshots as for 100.
class SnapshotPages : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Number, Time, What, User, Groups, Note, ColumnCount };
    static constexpr int kPageRows = 200;

    // `failed` is told why a page could not be read.
    SnapshotPages(HistoryReader& reader, std::function<void(const std::string&)> failed,
                  QObject* parent = nullptr);

    // Lists the snapshots of controller `id` from the newest, the first page asked at once;
    // nothing for 0.
    void ShowController(int64_t id);
    // The page after the rows listed is being read.
    bool Asking() const { return m_asking; }

    const SnapshotEntry* At(int row) const;
    int RowOf(int64_t id) const; // -1 when not listed
    void SetNote(int64_t id, const std::string& note);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // The text of a cell as shown.
    QString Text(const SnapshotEntry& s, int column) const;

signals:
    // A page came in; `first` for the first page of a controller.
    void PageShown(bool first);

private:
    HistoryReader& m_reader;
    std::function<void(const std::string&)> m_failed;
    QString m_zone; // the zone the time column is headed with: the newest snapshot's
    int64_t m_controller = 0;
    uint64_t m_generation = 0; // a page asked for another controller is dropped
    bool m_asking = false;
    bool m_end = true;
    std::vector<SnapshotEntry> m_rows;
};

// "2026-05-03 11:12:07", followed by its zone when it is not `zone` (a time across a
// change to or from summer time).
QString LocalTimeCell(const std::string& takenUtc, const QString& zone);
