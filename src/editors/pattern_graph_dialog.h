#pragma once

#include "editors/pattern_working_state.h"
#include "operator/messages.h"

#include <QDialog>

class PatternGraphWidget;

// The graph of the open pattern's working copy: set values and time-signal bars over the
// twenty segments. A left click draws it; a right click or a double click closes.
class PatternGraphDialog : public QDialog {
    Q_OBJECT
public:
    PatternGraphDialog(PatternWorkingState& state, const ParameterImage& image, Messages& messages,
                       QWidget* parent = nullptr);

    PatternGraphWidget* Graph() const { return m_graph; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Draw();

    const PatternWorkingState& m_state;
    const ParameterImage& m_image;
    PatternGraphWidget* m_graph = nullptr;
};
