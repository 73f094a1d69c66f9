#pragma once

#include "image/parameter_image.h"
#include "transfers/group_states.h"

#include <QWidget>

#include <array>
#include <string>

class QLabel;
class QTableWidget;
struct SummaryHeader;

// The main window's form: a summary of the parameter set (port 1, model code, where the
// values came from, and one row per group with its state). Its lifetime brackets the
// serial link: it opens port 1 when it is created and closes the link when it is destroyed.
class CTQXLOADER961114View : public QWidget {
    Q_OBJECT
public:
    explicit CTQXLOADER961114View(ParameterImage& image, QWidget* parent = nullptr);
    ~CTQXLOADER961114View() override;

    // `changed`: for each group with an unsent edit, the names of the parameters it
    // changed ("P, I").
    void ShowSummary(const SummaryHeader& header, const GroupStates& states,
                     const std::array<std::string, kGroupCount>& changed);
    // The height that shows every group's row without scrolling.
    int HeightForAllRows() const;

signals:
    // Double-click or Enter on a group's row (its GroupId::Index()).
    void GroupActivated(int row);

private:
    QLabel* m_port = nullptr;
    QLabel* m_model = nullptr;
    QLabel* m_source = nullptr;
    QLabel* m_guidance = nullptr;
    QTableWidget* m_groups = nullptr;
};
