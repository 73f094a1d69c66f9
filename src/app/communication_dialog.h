#pragma once

#include <QDialog>

class QLabel;
class QTableWidget;

// "Communication": port 1's settings, the link statistics and the last transfers, for a
// field engineer. Refresh reads them again; nothing here touches the line.
class CommunicationDialog : public QDialog {
    Q_OBJECT
public:
    explicit CommunicationDialog(QWidget* parent = nullptr);

    void Refresh();

private:
    QLabel* m_port;
    QLabel* m_statistics;
    QTableWidget* m_transfers;
};
