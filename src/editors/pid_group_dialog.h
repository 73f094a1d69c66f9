#pragma once

#include "editors/group_editor_qt.h"
#include "editors/pid_group_form.h"
class QLineEdit;
class QButtonGroup;

// "SETTING OF PID GROUP": one of the nine PID groups at a time, chosen by radio buttons.
// A thin view over PidGroupForm.
class PidGroupDialog : public LabelledEditor {
    Q_OBJECT
public:
    PidGroupDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                   QWidget* parent = nullptr, TransferContext* link = nullptr);

    const PidGroupForm& Form() const { return m_form; }
    // Shows group 0..8, as its radio button does.
    void ShowGroup(int group);

private:
    QLineEdit* AddField(class QGridLayout* grid, int row, const char* mnemonic);
    GroupId Group() const override { return GroupId::Pid(m_form.Group() + 1); }
    std::vector<GroupId> SentGroups() const override;
    FieldTexts ReferenceTexts(const ParameterSet& set) const override;
    void FillFields() override;
    void OnGroup(int group);

    PidGroupForm m_form;
    QButtonGroup* m_groups = nullptr;
};
