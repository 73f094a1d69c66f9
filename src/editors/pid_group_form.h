#pragma once

#include "editors/form_fields.h"
#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/messages.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The working texts of the PID group dialog. I is held as whole seconds: its field takes
// integers only; nothing when it holds none (empty, or a sign alone).
struct PidGroupTexts {
    std::string P, D, GAP, KnL, Ar, MAN, MV_H, MV_L, REV;
    std::optional<int32_t> I = 0;
};

// The rules of the PID group editor: one group shown at a time, its store and show steps,
// and the transfers of the nine group blocks (4..8, 46..49), each one whole record.
class PidGroupForm : public FormLink {
public:
    PidGroupForm(ParameterImage& image, Messages& messages);

    // The controller block of group index 0..8.
    static int32_t BlockOf(int group);

    PidGroupTexts& Texts() { return m_texts; }
    const PidGroupTexts& Texts() const { return m_texts; }
    int Group() const { return m_group; }

    void Store();
    void Show();

    void Open() { SelectGroup(0); }
    // Shows group 0..8; texts typed for the previous group and not stored are dropped.
    void SelectGroup(int group);
    void Retrieve(CursorControl& cursor);
    void Send(CursorControl& cursor);
    void Ok() { Store(); }

private:
    PidGroupRecord& Record() { return m_image.pid[static_cast<size_t>(m_group)]; }

    ParameterImage& m_image;
    Messages& m_messages;
    PidGroupTexts m_texts;
    UnshownValues m_unshown;
    int m_group = 0;
};
