#pragma once

#include <QDialog>

class QLineEdit;

// "CONNECT": shows the controller's model code for the operator to confirm. The field
// may be edited, but what is typed there is never read back. When the code could not be
// read, the field stays empty and the dialog says so, with the link's reason.
class CodeSymbolsDialog : public QDialog {
    Q_OBJECT
public:
    CodeSymbolsDialog(const QString& modelCode, const QString& readFailure,
                      QWidget* parent = nullptr);

private:
    QLineEdit* m_code;
};
