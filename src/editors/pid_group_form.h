#pragma once

#include "editors/group_form.h"
#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/messages.h"

#include <array>
#include <cstdint>
#include <string>

// The working texts of the PID group dialog, by the window's labels ("P", "KnL", "Ar"). I is
// shown and typed in whole seconds.
using PidGroupTexts = FieldTexts;

// The rules of the PID group editor: one group shown at a time, its store and show steps,
// and the transfers of the nine group blocks (4..8, 46..49), each one whole record.
class PidGroupForm : public GroupForm {
public:
    PidGroupForm(ParameterImage& image, Messages& messages);

    // The controller block of group index 0..8.
    static int32_t BlockOf(int group);

    int Group() const { return m_group; }

    void Store() override;
    void Show() override;
    void Open() override { SelectGroup(0); }
    // Shows group 0..8; texts typed for the previous group and not stored are dropped.
    void SelectGroup(int group);
    void Retrieve(CursorControl& cursor) override;
    void Send(CursorControl& cursor) override;

private:
    PidGroupRecord& Record() { return m_image.pid[static_cast<size_t>(m_group)]; }

    ParameterImage& m_image;
    int m_group = 0;
};
