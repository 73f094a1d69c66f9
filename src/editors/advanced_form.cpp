#include "editors/advanced_form.h"

#include "transfers/group_transfers.h"

std::vector<const ParameterRow*> AdvancedShownRows() {
    // The record's order is the store step's: the limits, DMV, the hysteresis widths, then
    // DVDV, TDS, ATSV and PID.
    std::vector<const ParameterRow*> rows;
    for (const ParameterRow& row : AdvancedRows())
        if (row.label)
            rows.push_back(&row);
    return rows;
}

AdvancedForm::AdvancedForm(AdvancedRecord& record, const SystemSetupRecord& setup,
                           Messages& messages)
    : GroupForm(messages), m_record(record), m_setup(setup) {}

void AdvancedForm::Store() {
    const InputRange range = SelectInputRange(m_setup);
    RefuseEmptyScale(range, m_messages);
    for (const ParameterRow* row : AdvancedShownRows()) {
        uint16_t value = RawValue(m_record, *row);
        if (StoreText(*row, value, range))
            SetRawValue(m_record, *row, value);
    }
}

void AdvancedForm::Show() {
    const InputRange range = SelectInputRange(m_setup);
    for (const ParameterRow* row : AdvancedShownRows())
        ShowText(*row, RawValue(m_record, *row), range);
}

void AdvancedForm::Retrieve(CursorControl& cursor) {
    WaitCursor wait(cursor);
    Link().BeginOperation();
    auto held = std::make_shared<AdvancedRecord>(m_record); // only blocks that arrive change
    AdvancedRecord& record = m_record;
    Operation operation;
    operation.title = "RETRIEVE of " + GroupTitle(GroupId::Advanced());
    operation.work = [held](TransferContext& link, Messages& tell) {
        ShowTransferFailures("RETRIEVE", RetrieveAdvanced(link, *held), tell);
    };
    operation.apply = [held, &record] { record = *held; };
    operation.after = [this] { Show(); };
    RunOperation(std::move(operation), m_messages);
}

void AdvancedForm::Send(CursorControl& cursor) {
    WaitCursor wait(cursor);
    Link().BeginOperation();
    Store();
    Show();
    Operation operation;
    operation.title = "SEND of " + GroupTitle(GroupId::Advanced());
    operation.work = [sent = m_record](TransferContext& link, Messages& tell) {
        ShowTransferFailures("SEND", SendAdvanced(link, sent), tell);
    };
    RunOperation(std::move(operation), m_messages);
}
