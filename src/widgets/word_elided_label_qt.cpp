#include "widgets/word_elided_label_qt.h"

#include <QFontMetrics>
#include <QResizeEvent>

QString ElideAtWord(const QString& text, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString ellipsis = QStringLiteral(" \u2026");
    QString shown;
    for (int end = text.indexOf(QLatin1Char(' ')); end > 0;
         end = text.indexOf(QLatin1Char(' '), end + 1)) {
        const QString words = text.left(end);
        if (metrics.horizontalAdvance(words + ellipsis) > width)
            break;
        shown = words;
    }
    return shown.isEmpty() ? QStringLiteral("\u2026") : shown + ellipsis;
}

WordElidedLabel::WordElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void WordElidedLabel::SetFullText(const QString& text) {
    m_full = text;
    setToolTip(text);
    setAccessibleDescription(text);
    Refresh();
    updateGeometry();
}

QSize WordElidedLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    return QSize(fontMetrics().horizontalAdvance(m_full) + m.left() + m.right() + 2 * margin(),
                 QLabel::sizeHint().height());
}

QSize WordElidedLabel::minimumSizeHint() const {
    if (m_keep)
        return sizeHint();
    return QSize(fontMetrics().horizontalAdvance(QStringLiteral("xxxxxx \u2026")),
                 QLabel::minimumSizeHint().height());
}

void WordElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Refresh();
}

void WordElidedLabel::Refresh() {
    QLabel::setText(ElideAtWord(m_full, fontMetrics(), contentsRect().width() - 2 * margin()));
}
