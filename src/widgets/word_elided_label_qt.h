#pragma once

#include <QLabel>
#include <QString>

// A one-line label whose text, when it does not fit, is cut after the last whole word that
// does, with an ellipsis; the whole text stays in its tooltip. It asks for room for the
// whole text and settles for less, so a status bar can share its width.
class WordElidedLabel : public QLabel {
public:
    explicit WordElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    // Asks for the whole text as its minimum too: its neighbours give way first.
    void SetFirstToKeep(bool keep) { m_keep = keep; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Refresh();

    QString m_full;
    bool m_keep = false;
};

// `text` cut after the last whole word that fits `width` pixels in `metrics`, with " …";
// the text itself when it fits.
QString ElideAtWord(const QString& text, const QFontMetrics& metrics, int width);
