#include "editors/pattern_graph_dialog.h"

#include "editors/form_fields.h"
#include "editors/pattern_graph_widget.h"
#include "widgets/window_fit_qt.h"

#include <QLabel>
#include <QMouseEvent>

namespace {

// Placement in window pixels. The labels are aligned with the frame's fixed pixel grid.
constexpr int kFrameLeft = 34; // room for the scale labels
constexpr int kLabelHeight = 13;
constexpr int kFrameTop = 8 + kLabelHeight + 4; // room for the scale's caption
constexpr int kMargin = 12;
constexpr int kRowLabelWidth = 84; // the time signals' names, right of the frame

// A label that lets clicks through to the window, so a click anywhere draws.
QLabel* MakeLabel(const QString& text, QWidget* parent, Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setAlignment(alignment);
    return label;
}

} // namespace

PatternGraphDialog::PatternGraphDialog(PatternWorkingState& state, const ParameterImage& image,
                                       Messages&, QWidget* parent)
    : QDialog(parent), m_state(state), m_image(image) {
    setWindowTitle(
        QStringLiteral("Display      START:Click anywhere     QUIT:Right Click anywhere"));
    CenterOnParent(this);
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);

    m_graph = new PatternGraphWidget(this);
    m_graph->setObjectName(QStringLiteral("graph"));
    m_graph->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_graph->move(kFrameLeft, kFrameTop);
    // Frame pixel (x, y) in window coordinates.
    const int originX = kFrameLeft + PatternGraphWidget::kBorder;
    const int originY = kFrameTop + PatternGraphWidget::kBorder;

    // Row labels right of the frame, level with their rows' bars: the set-value line
    // crosses the rows inside, and no label hides it.
    static const char* const kRows[] = {"T.S1", "T.S2",         "T.S3",
                                        "T.S4", "T.S5(option)", "T.S6(option)"};
    const int rowLabelsLeft = kFrameLeft + m_graph->width() + 4;
    for (int r = 1; r <= graph::kTimeSignals; ++r) {
        QLabel* label =
            MakeLabel(QString::fromLatin1(kRows[r - 1]), this, Qt::AlignLeft | Qt::AlignVCenter);
        const int bars = originY + graph::kRowPitch * r - graph::kRaise / 2;
        label->setGeometry(rowLabelsLeft, bars - kLabelHeight / 2, kRowLabelWidth, kLabelHeight);
    }

    // The scale's caption: percent of the input span, and that span in its unit.
    const std::string span = FieldRangeText(SegmentRow(seg::SV), image.systemSetup);
    QLabel* unit = MakeLabel(
        QStringLiteral("SV, % of the input range") +
            (span.empty() ? QString() : QStringLiteral(" (") + QString::fromStdString(span) + ")"),
        this, Qt::AlignLeft | Qt::AlignVCenter);
    unit->setObjectName(QStringLiteral("scaleCaption"));
    unit->setGeometry(2, 6, kFrameLeft + graph::kWidth, kLabelHeight);

    // Scale labels left of the frame, centred on their heights.
    const int scaleY[] = {graph::kScaleTop, graph::kScaleMiddle, graph::kScaleBottom};
    static const char* const kScale[] = {"100", "50", "0"};
    for (int i = 0; i < 3; ++i) {
        QLabel* label =
            MakeLabel(QString::fromLatin1(kScale[i]), this, Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(2, originY + scaleY[i] - kLabelHeight / 2, kFrameLeft - 6, kLabelHeight);
    }

    // Segment numbers centred under their cells, then the axis caption.
    const int columnTop = kFrameTop + m_graph->height() + 3;
    for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
        QLabel* label = MakeLabel(QString::number(s), this, Qt::AlignCenter);
        label->setGeometry(originX + graph::kCell * (s - 1), columnTop, graph::kCell, kLabelHeight);
    }
    const int captionTop = columnTop + kLabelHeight + 2;
    QLabel* caption = MakeLabel(QStringLiteral("SEGMENT NO."), this, Qt::AlignCenter);
    caption->setGeometry(originX, captionTop, graph::kWidth, kLabelHeight);

    setFixedSize(rowLabelsLeft + kRowLabelWidth, captionTop + kLabelHeight + kMargin);
}

void PatternGraphDialog::Draw() {
    m_graph->SetLines(DrawPatternGraph(m_state.workingCopy, HasTimeSignalOption(m_image)));
}

void PatternGraphDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        accept();
        return;
    }
    QDialog::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        Draw();
}

// The first press of a double click has drawn already; the second closes.
void PatternGraphDialog::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        accept();
        return;
    }
    QDialog::mouseDoubleClickEvent(event);
}
