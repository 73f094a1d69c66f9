#pragma once

#include "editors/group_form.h"
#include "image/group_id.h"
#include "image/parameter_image.h"
#include "operator/questions.h"
#include "transfers/parameter_set.h"

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class FieldAssist;
class WordElidedLabel;
class QHBoxLayout;
class QLabel;
class QLayout;

// The one skeleton of the editors that RETRIEVE and SEND (system setup, advanced, PID
// group, program pattern) over their EditorForm: the fields read into the form's texts
// and filled from them; RETRIEVE, SEND, OK and CANCEL; the marks of fields that differ
// from the reference values; the line that says a group holds values nobody chose, and
// the question before a SEND writes them; the help and assist of each field. A dialog of
// it keeps only its layout and what belongs to it alone.
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
    GroupEditor(EditorForm& form, GroupId::Kind kind, Messages& messages, CursorControl& cursor,
                const ParameterImage& image, QWidget* parent, TransferContext* link);

    // RETRIEVE, SEND (the default button), OK and CANCEL in a row, wired to the steps
    // below; right-aligned when `right` is set.
    QHBoxLayout* TransferButtonRow(bool right);
    // Once the fields exist: lays out `fields` under the line about values nobody chose
    // and above `buttons`, and opens the form.
    void Finish(QLayout* fields, QLayout* buttons);

    // The group the fields show, and the groups a SEND writes.
    virtual GroupId Group() const = 0;
    virtual std::vector<GroupId> SentGroups() const { return {Group()}; }
    // The fields to the form's texts, and back.
    virtual void TakeTexts() = 0;
    virtual void FillFields() = 0;
    // The fields as they would show the reference values of `set` (for the marks).
    virtual void FillReferenceFields(const ParameterSet& set) = 0;
    // After OK's store step, before the window closes.
    virtual void AfterOk() {}

    // The reference values the fields are marked against; none before UseReference.
    const ParameterSet* Reference() const { return m_set; }
    // The fields, then the marks of those that differ from the reference values.
    void FillControls();
    void OnRetrieve();
    void OnSend();
    void OnOk();

    Messages& m_messages;
    CursorControl& m_cursor;
    const ParameterImage& m_image;

private:
    void ShowMarks();
    // The line under the buttons: what this window's last RETRIEVE or SEND did, once it
    // is over.
    void ShowLastCommand();

    EditorForm& m_form;
    GroupId::Kind m_kind;
    TransferContext* m_link;
    FieldAssist* m_assist = nullptr;
    const ParameterSet* m_set = nullptr;
    Questions* m_questions = nullptr;
    QLabel* m_unchosen = nullptr; // says the group holds values nobody chose
    WordElidedLabel* m_lastCommand = nullptr;
    // What the set said of the last command when this window started its own; nothing
    // before it has started one.
    std::optional<std::string> m_before;
};

// A GroupEditor over a GroupForm, whose fields are named by the catalogue labels of
// their rows and hold the form's texts of those labels.
class LabelledEditor : public GroupEditor {
    Q_OBJECT
protected:
    LabelledEditor(GroupForm& form, GroupId::Kind kind, Messages& messages, CursorControl& cursor,
                   const ParameterImage& image, QWidget* parent, TransferContext* link);

    // The texts the fields would hold for the reference values of `set`.
    virtual FieldTexts ReferenceTexts(const ParameterSet& set) const = 0;
    // The fields named by a label of the group's rows, edit fields and drop-downs.
    std::vector<QWidget*> Fields() const;

    void TakeTexts() override;
    void FillFields() override;
    void FillReferenceFields(const ParameterSet& set) override;
    // A refused field shows the value it kept.
    void AfterOk() override;

private:
    GroupForm& m_form;
    GroupId::Kind m_kind;
};
