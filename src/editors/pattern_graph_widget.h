#pragma once

#include "editors/pattern_graph.h"

#include <QWidget>

#include <vector>

// The black-bordered drawing frame of the pattern graph. Its client area, inside the
// 1-pixel border, holds the 480 x 144 pixel grid at its natural size, never scaled.
// It paints the lines of the last drawing it was given, clipped to the client area.
class PatternGraphWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBorder = 1;
    // One pixel more than the grid, so that its last row and column of lines show.
    static constexpr int kClientWidth = graph::kWidth + 1;
    static constexpr int kClientHeight = graph::kHeight + 1;

    explicit PatternGraphWidget(QWidget* parent = nullptr);

    void SetLines(std::vector<GraphLine> lines);
    const std::vector<GraphLine>& Lines() const { return m_lines; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<GraphLine> m_lines;
};
