#include "app/view.h"

#include "app/document.h"
#include "link/tqxcomm.h"
#include "operator/glossary.h"
#include "widgets/dialog_support_qt.h"

#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

CTQXLOADER961114View::CTQXLOADER961114View(ParameterImage& image, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("View"));
    // At least the form's 272 x 117 dialog units in a 12-point serif font.
    QFont font(QStringLiteral("Serif"), 12);
    font.setStyleHint(QFont::Serif);
    const QFontMetrics metrics(font);
    setMinimumSize(272 * metrics.averageCharWidth() / 4, 117 * metrics.height() / 8);

    auto* layout = new QVBoxLayout(this);
    auto label = [this, layout](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(l);
        return l;
    };
    m_port = label("port");
    m_model = label("model");
    m_source = label("source");
    m_guidance = label("guidance");
    m_guidance->setWordWrap(true);
    for (QLabel* l : {m_port, m_model, m_guidance})
        l->setToolTip(QString::fromLatin1(glossary::kTqx));
    m_model->setToolTip(QString::fromLatin1(glossary::kCodeSymbols));
    QFont bold = m_guidance->font();
    bold.setBold(true);
    m_guidance->setFont(bold);

    m_groups = new QTableWidget(kGroupCount, 4, this);
    m_groups->setObjectName(QStringLiteral("groups"));
    NameControl(m_groups, QStringLiteral("Parameter groups"));
    m_groups->setHorizontalHeaderLabels({QStringLiteral("Group"), QStringLiteral("State"),
                                         QStringLiteral("When"), QStringLiteral("Unsent edit")});
    m_groups->verticalHeader()->hide();
    m_groups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_groups->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_groups->setSelectionMode(QAbstractItemView::SingleSelection);
    // Each column as wide as its texts; the last takes what is left.
    for (int c = 0; c < 3; ++c)
        m_groups->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    m_groups->horizontalHeader()->setStretchLastSection(true);
    m_groups->setTabKeyNavigation(false);
    // Compact rows, and room for most of the twenty groups without scrolling.
    const int row = m_groups->fontMetrics().height() + 6;
    m_groups->verticalHeader()->setDefaultSectionSize(row);
    m_groups->setMinimumHeight(12 * row);
    m_groups->setMinimumWidth(520);
    for (int g = 0; g < kGroupCount; ++g)
        for (int c = 0; c < 4; ++c)
            m_groups->setItem(g, c, new QTableWidgetItem);
    layout->addWidget(m_groups, 1);
    // Enter and double-click both activate a row.
    connect(m_groups, &QTableWidget::activated, this,
            [this](const QModelIndex& index) { emit GroupActivated(index.row()); });

    image.connected = 0;
    TQXOpenSerialPort(1); // a port that cannot be opened is retried at the first transfer
}

CTQXLOADER961114View::~CTQXLOADER961114View() {
    TQXCloseSerialPort();
}

void CTQXLOADER961114View::ShowSummary(const SummaryHeader& header, const GroupStates& states,
                                       const std::array<std::string, kGroupCount>& changed) {
    m_port->setText(Q(header.port));
    m_model->setText(Q(header.model));
    m_source->setText(Q(header.source));
    m_guidance->setText(Q(header.guidance));
    m_guidance->setVisible(!header.guidance.empty());
    for (GroupId group : AllGroups()) {
        const int g = group.Index();
        const GroupStates::Entry& e = states.At(group);
        m_groups->item(g, 0)->setText(Q(GroupTitle(group)));
        // The state alone in its cell; where it came from, whole, in the tooltip.
        const QString state = QString::fromLatin1(GroupStateText(e.state));
        const QString whole = e.from.empty() ? state : state + QStringLiteral(", ") + Q(e.from);
        m_groups->item(g, 1)->setText(state);
        m_groups->item(g, 2)->setText(Q(e.when));
        const QString names = Q(changed[static_cast<size_t>(g)]);
        m_groups->item(g, 3)->setText(!e.unsent         ? QString()
                                      : names.isEmpty() ? QStringLiteral("yes")
                                                        : names);
        // An unsent edit or a failure stands out in more than colour: bold, an icon, and
        // the cause on the row.
        const bool failed = e.state == GroupState::ReadFailed ||
                            e.state == GroupState::SendFailed ||
                            e.state == GroupState::DiffersFromController;
        QString tip = e.state == GroupState::StartValues
                          ? QString::fromLatin1(glossary::kStartValues)
                      : failed && !e.cause.empty() ? Q(e.cause)
                      : e.unsent ? QStringLiteral("Edited; not sent to TQX: ") + names
                                 : QString();
        if (whole != state)
            tip = tip.isEmpty() ? whole : whole + QLatin1Char('\n') + tip;
        for (int c = 0; c < 4; ++c) {
            QTableWidgetItem* item = m_groups->item(g, c);
            QFont font = item->font();
            font.setBold(failed || e.unsent);
            item->setFont(font);
            item->setToolTip(tip);
        }
        m_groups->item(g, 1)->setIcon(failed ? style()->standardIcon(QStyle::SP_MessageBoxWarning)
                                      : e.unsent ? style()->standardIcon(QStyle::SP_FileIcon)
                                                 : QIcon());
        if (!tip.isEmpty())
            m_groups->item(g, 1)->setData(Qt::AccessibleDescriptionRole, tip);
    }
}

int CTQXLOADER961114View::HeightForAllRows() const {
    const int rows = kGroupCount * m_groups->verticalHeader()->defaultSectionSize() +
                     m_groups->horizontalHeader()->sizeHint().height() + 2 * m_groups->frameWidth();
    // The four lines above the table, the guidance counted twice as it may wrap, with the
    // layout's spacing and margins.
    const int spacing = layout()->spacing();
    const int margins = layout()->contentsMargins().top() + layout()->contentsMargins().bottom();
    int labels = 0;
    for (const QLabel* label : {m_port, m_model, m_source, m_guidance})
        labels += QFontMetrics(label->font()).height() + spacing;
    labels += QFontMetrics(m_guidance->font()).height();
    return rows + labels + margins + 8;
}
