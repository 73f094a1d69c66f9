#pragma once

#include "editors/pattern_working_state.h"
#include "editors/sub_editor_form.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class FieldAssist;
class ParameterSet;
class QLayout;

// The one skeleton of the pattern editor's three sub-editors over a SubEditorForm: its
// fields, one per text of the form, filled from the texts and read back into them; OK and
// CANCEL (Enter in a field cancels); the marks of fields that differ from the reference
// pattern; the assist of each field. A dialog of it keeps only its layout.
class SubEditor : public QDialog {
    Q_OBJECT
public:
    // Makes the dialog's form over a working state, shown.
    using FormMaker = std::function<std::unique_ptr<SubEditorForm>(PatternWorkingState& state,
                                                                   const ParameterImage& image)>;

    // Marks each field that differs from pattern `n` of the set's reference values.
    void UseReference(const ParameterSet& set, const ParameterImage& image, int n);

protected:
    SubEditor(PatternWorkingState& state, const ParameterImage& image, FormMaker makeForm,
              Messages& messages, QWidget* parent);

    // The field of the form's text `index` (an edit field or a drop-down).
    void SetField(size_t index, QWidget* field);
    // Once the fields exist: lays out `fields` above OK and CANCEL, and fills them.
    void Finish(QLayout* fields);

private:
    void Fill(const std::vector<std::string>& texts);
    void OnOk();

    FormMaker m_makeForm;
    std::unique_ptr<SubEditorForm> m_form;
    Messages& m_messages;
    const SystemSetupRecord& m_setup; // the input range and units in force
    FieldAssist* m_assist = nullptr;
    std::vector<QWidget*> m_fields;
};
