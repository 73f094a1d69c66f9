#include "app/connect_first_notice.h"

#include "widgets/dialog_support_qt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ConnectFirstNotice::ConnectFirstNotice(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("ConnectFirstNotice"));
    setWindowTitle(QStringLiteral("TQXLOADER"));
    auto* text = new QLabel(QStringLiteral("First click Connect, please"), this);
    text->setObjectName(QStringLiteral("text"));
    text->setAlignment(Qt::AlignCenter);
    text->setFrameStyle(QFrame::Box | QFrame::Plain);
    text->setMargin(10);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // The box has no frame of its own, so draw one around it.
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(text);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    inner->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    CenterOnPointer(this);
}
