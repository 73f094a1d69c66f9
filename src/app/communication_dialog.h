#pragma once

#include <QDialog>

class QLabel;
class TransferContext;
class QTableWidget;

// "Communication": port 1's settings, the link statistics and the last transfers made
// through `link`, for a field engineer. Refresh reads them again; nothing here touches
// the line.
class CommunicationDialog : public QDialog {
    Q_OBJECT
public:
    explicit CommunicationDialog(const TransferContext& link, QWidget* parent = nullptr);

    void Refresh();

private:
    const TransferContext& m_link;
    QLabel* m_port;
    QLabel* m_statistics;
    QTableWidget* m_transfers;
};
