#include "editors/pid_group_form.h"

#include "editors/form_fields.h"
#include "transfers/group_transfers.h"

namespace {

using R = PidGroupRecord;

// The text fields, in the store step's order after P and I.
constexpr std::pair<const char*, std::string PidGroupTexts::*> kAfterI[] = {
    {"D", &PidGroupTexts::D},       {"KnL", &PidGroupTexts::KnL},   {"MAN", &PidGroupTexts::MAN},
    {"MV-H", &PidGroupTexts::MV_H}, {"MV-L", &PidGroupTexts::MV_L}, {"GAP", &PidGroupTexts::GAP},
    {"Ar", &PidGroupTexts::Ar},     {"REV", &PidGroupTexts::REV}};

const ParameterRow& Row(const char* label) {
    return *FindRow(GroupId::Kind::PidGroup, label);
}

} // namespace

PidGroupForm::PidGroupForm(ParameterImage& image, Messages& messages)
    : m_image(image), m_messages(messages) {}

int32_t PidGroupForm::BlockOf(int group) {
    return PidGroupBlock(group + 1);
}

void PidGroupForm::Store() {
    PidGroupRecord& r = Record();
    const PidGroupTexts& t = m_texts;
    Messages& m = m_messages;
    const InputRange range = SelectInputRange(m_image.systemSetup);
    // Stores one field from its text by its catalogue row.
    auto store = [&](const char* label, const std::string& text) {
        const ParameterRow& row = Row(label);
        uint16_t value = r.Word(row.offset / 2);
        if (StoreField(row, text, value, range, m_unshown, m))
            r.SetWord(row.offset / 2, value);
    };
    store("P", t.P);
    // A field that holds no integer (empty, or a sign alone) is refused, not passed over.
    const ParameterRow& i = Row("I");
    // Left as shown, I keeps the tenths the whole seconds do not show.
    if (t.I && *t.I == IntegralSeconds(r.Word(R::I))) {
    } else if (t.I && *t.I >= IntegralSeconds(static_cast<uint16_t>(i.lo)) &&
               *t.I <= IntegralSeconds(static_cast<uint16_t>(i.hi))) {
        r.SetWord(R::I, IntegralStored(*t.I));
    } else {
        m.Show(IntegerRefusal(i.message, i.Label(), IntegralSeconds(static_cast<uint16_t>(i.lo)),
                              IntegralSeconds(static_cast<uint16_t>(i.hi))));
    }
    for (const auto& [label, text] : kAfterI) {
        if (std::string(label) == "GAP")
            RefuseEmptyScale(range, m); // once, before the range values
        store(label, t.*text);
    }
}

void PidGroupForm::Show() {
    const PidGroupRecord& r = Record();
    const InputRange range = SelectInputRange(m_image.systemSetup);
    m_texts.P = ShowField(Row("P"), r.Word(R::P), range, m_unshown);
    m_texts.I = IntegralSeconds(r.Word(R::I)); // whole seconds, truncated
    for (const auto& [label, text] : kAfterI) {
        const ParameterRow& row = Row(label);
        m_texts.*text = ShowField(row, r.Word(row.offset / 2), range, m_unshown);
    }
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
    operation.title = "RETRIEVE of PID group " + std::to_string(n);
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
