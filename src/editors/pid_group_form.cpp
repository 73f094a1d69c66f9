#include "editors/pid_group_form.h"

#include "editors/form_fields.h"
#include "transfers/group_transfers.h"

namespace {

using R = PidGroupRecord;

// The record's words in the store step's order.
constexpr int kStoreOrder[] = {R::P,    R::I,    R::D,   R::KNL, R::MAN,
                               R::MV_H, R::MV_L, R::GAP, R::ARW, R::REV};

} // namespace

PidGroupForm::PidGroupForm(ParameterImage& image, Messages& messages)
    : GroupForm(messages), m_image(image) {}

int32_t PidGroupForm::BlockOf(int group) {
    return PidGroupBlock(group + 1);
}

void PidGroupForm::Store() {
    PidGroupRecord& r = Record();
    const InputRange range = SelectInputRange(m_image.systemSetup);
    bool rangeSeen = false;
    for (const int word : kStoreOrder) {
        const ParameterRow& row = PidRow(word);
        // The empty scale is said once, before the first range value.
        if (!rangeSeen && IsRangeValue(row)) {
            RefuseEmptyScale(range, m_messages);
            rangeSeen = true;
        }
        uint16_t value = r.Word(word);
        if (StoreText(row, value, range))
            r.SetWord(word, value);
    }
}

void PidGroupForm::Show() {
    const PidGroupRecord& r = Record();
    const InputRange range = SelectInputRange(m_image.systemSetup);
    for (const int word : kStoreOrder)
        ShowText(PidRow(word), r.Word(word), range);
}

void PidGroupForm::SelectGroup(int group) {
    if (group < 0 || group >= ParameterImage::kPidGroups)
        return;
    m_group = group;
    Show();
}

void PidGroupForm::Retrieve(CursorControl& cursor) {
    WaitCursor wait(cursor);
    Link().BeginOperation();
    const int n = m_group + 1;
    auto held = std::make_shared<ParameterImage>(m_image);
    ParameterImage& image = m_image;
    Operation operation;
    operation.title = "RETRIEVE of " + GroupTitle(GroupId::Pid(n));
    operation.work = [held, n](TransferContext& link, Messages& tell) {
        link.BeginCommand();
        if (!RetrievePidGroup(link, *held, n).Ok() && !link.Cancelled())
            tell.Show(link.WithCause("false"));
    };
    operation.apply = [held, &image, n] { CopyGroup(*held, image, GroupId::Pid(n)); };
    operation.after = [this] { Show(); };
    RunOperation(std::move(operation), m_messages);
}

void PidGroupForm::Send(CursorControl& cursor) {
    WaitCursor wait(cursor);
    Store();
    Show();
    Link().BeginOperation();
    Operation operation;
    operation.title = "SEND of the PID groups";
    operation.work = [sent = m_image](TransferContext& link, Messages& tell) {
        link.BeginCommand();
        // Every group is written; each failed write says "false" and the next still runs.
        // What the read-back after SEND found is told once, at the end. A Cancel stops
        // between two groups and says which went in.
        TransferResult readBack, all;
        for (int g = 1; g <= ParameterImage::kPidGroups && !link.Cancelled(); ++g) {
            const TransferResult done = SendPidGroup(link, sent, g);
            all.Merge(done);
            if (done.outcome == TransferOutcome::Failed)
                tell.Show(link.WithCause("false"));
            else if (done.outcome != TransferOutcome::Cancelled)
                readBack.Merge(done);
        }
        if (link.Cancelled())
            all.Worsen(TransferOutcome::Cancelled);
        ShowTransferFailures("SEND", all.outcome == TransferOutcome::Cancelled ? all : readBack,
                             tell);
    };
    RunOperation(std::move(operation), m_messages);
}
