#pragma once

#include "editors/advanced_form.h"
#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/messages.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

// "EXPERT PARAMETER": a view over AdvancedForm. Controls are named by their mnemonics
// as the dialog labels them ("SV-H", "A1HS", "DVDV", "ATSV", "PID", "TDS", ...).
class AdvancedDialog : public QDialog {
    Q_OBJECT
public:
    AdvancedDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                   QWidget* parent = nullptr);

private:
    void BuildControls();
    void TakeTexts();
    void FillControls();
    void OnRetrieve();
    void OnSend();
    void OnOk();

    Messages& m_messages;
    CursorControl& m_cursor;
    AdvancedForm m_form;

    QLineEdit *m_svh = nullptr, *m_svl = nullptr, *m_dmv = nullptr;
    QLineEdit* m_hs[4] = {};
    QComboBox *m_dvdv = nullptr, *m_atsv = nullptr, *m_pid = nullptr, *m_tds = nullptr;
};
