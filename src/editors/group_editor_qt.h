#pragma once

#include "editors/group_form.h"
#include "image/group_id.h"
#include "image/parameter_image.h"
#include "operator/questions.h"
#include "transfers/parameter_set.h"

#include <QDialog>

#include <vector>

class FieldAssist;
class QLabel;
class QLayout;

// The one skeleton of the system setup, advanced and PID group editors over a GroupForm:
// fields named by their catalogue labels are filled from the form's texts and read back
// into them; RETRIEVE, SEND, OK and CANCEL; the marks of fields that differ from the
// reference values; the line that says a group holds values nobody chose, and the
// question before a SEND writes them; the help and assist of each field. A dialog of it
// keeps only its layout and what belongs to it alone.
class GroupEditor : public QDialog {
    Q_OBJECT
public:
    // Marks the fields that differ from what `set` knows the controller (or the file)
    // holds.
    void UseReference(const ParameterSet& set);
    // Where SEND asks before it writes what nobody chose or what would cut the controller
    // off; the toolkit's boxes until then.
    void UseQuestions(Questions& questions);

protected:
    // `form` is the dialog's own member: it is only used from Finish on.
    GroupEditor(GroupForm& form, GroupId::Kind kind, Messages& messages, CursorControl& cursor,
                const ParameterImage& image, QWidget* parent, TransferContext* link);

    // Once the fields exist: lays out `fields` under the line about values nobody chose
    // and above the buttons (right-aligned when `buttonsRight`), and opens the form.
    void Finish(QLayout* fields, bool buttonsRight);

    // The group the fields show, and the groups a SEND writes.
    virtual GroupId Group() const = 0;
    virtual std::vector<GroupId> SentGroups() const { return {Group()}; }
    // The texts the fields would hold for the reference values of `set`.
    virtual FieldTexts ReferenceTexts(const ParameterSet& set) const = 0;
    // The fields from the form's texts.
    virtual void FillFields();

    void TakeTexts();
    // The fields, then the marks of those that differ from the reference values.
    void FillControls();
    void OnRetrieve();
    void OnSend();
    void OnOk();

    Messages& m_messages;
    CursorControl& m_cursor;
    const ParameterImage& m_image;

    // The fields named by a label of the group's rows, edit fields and drop-downs.
    std::vector<QWidget*> Fields() const;

private:
    void ShowMarks();

    GroupForm& m_form;
    GroupId::Kind m_kind;
    TransferContext* m_link;
    FieldAssist* m_assist = nullptr;
    const ParameterSet* m_set = nullptr;
    Questions* m_questions = nullptr;
    QLabel* m_unchosen = nullptr; // says the group holds values nobody chose
};
