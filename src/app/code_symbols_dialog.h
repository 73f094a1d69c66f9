#pragma once

#include <QDialog>

class QLineEdit;

// "CONNECT": shows the controller's model code for the operator to confirm. The field
// may be edited, but what is typed there is never read back.
class CodeSymbolsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CodeSymbolsDialog(const QString& modelCode, QWidget* parent = nullptr);

private:
    QLineEdit* m_code;
};
