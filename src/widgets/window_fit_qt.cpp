#include "widgets/window_fit_qt.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// The room a window has on `screen`, less what a window manager's frame takes.
QRect Room(const QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// Moves a window over its parent's centre when it is shown.
class CentreWhenShown : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show)
            return false;
        auto* window = static_cast<QWidget*>(watched);
        Centre(window);
        // A message box takes its final size in its own show handler, after this filter:
        // centre it again once that has run.
        QMetaObject::invokeMethod(
            this, [window] { Centre(window); }, Qt::QueuedConnection);
        return false;
    }

private:
    static void Centre(QWidget* window) {
        const QWidget* parent = window->parentWidget() ? window->parentWidget()->window() : nullptr;
        const QRect room = Room(window);
        MoveCentredWithin(window, window->frameGeometry().size(),
                          parent ? parent->frameGeometry().center() : room.center(), room);
    }
};

// A scroll area that asks for its contents' whole size, as far as the screen allows.
class FittingArea : public QScrollArea {
public:
    FittingArea(int reserved, QWidget* parent) : QScrollArea(parent), m_reserved(reserved) {}

    QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        QSize natural = widget()->sizeHint() + QSize(frame, frame);
        const QRect room = Room(this);
        const QSize most(room.width() - 48, room.height() - m_reserved);
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        if (natural.height() > most.height())
            natural.rwidth() += bar;
        if (natural.width() > most.width())
            natural.rheight() += bar;
        return natural.boundedTo(most);
    }
    // Never less: a window is otherwise opened at two thirds of the screen at most.
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    int m_reserved;
};

} // namespace

void MoveCentredWithin(QWidget* window, const QSize& size, const QPoint& centre,
                       const QRect& area) {
    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(centre);
    if (frame.right() > area.right())
        frame.moveRight(area.right());
    if (frame.bottom() > area.bottom())
        frame.moveBottom(area.bottom());
    if (frame.left() < area.left())
        frame.moveLeft(area.left());
    if (frame.top() < area.top())
        frame.moveTop(area.top());
    window->move(frame.topLeft());
}

void CenterOnParent(QWidget* window) {
    // Once per window. (The filter has no meta-object of its own, so it is found by name.)
    static const QString name = QStringLiteral("centreWhenShown");
    if (window->findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* filter = new CentreWhenShown(window);
    filter->setObjectName(name);
    window->installEventFilter(filter);
}

QWidget* RaisingWindow(QWidget* fallback) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->objectName() == QLatin1String("TransferProgress"))
        modal = modal->parentWidget() ? modal->parentWidget()->window() : nullptr;
    if (modal)
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return fallback;
}

void AddFittingFields(QVBoxLayout* top, QLayout* fields, QLayout* buttons, QWidget* dialog) {
    auto* content = new QWidget;
    content->setLayout(fields);
    fields->setContentsMargins(0, 0, 0, 0);
    // The buttons, the dialog's margins and a window manager's title bar keep their room.
    const int reserved = buttons->sizeHint().height() + 2 * top->spacing() +
                         top->contentsMargins().top() + top->contentsMargins().bottom() +
                         3 * dialog->fontMetrics().height() + 16;
    auto* area = new FittingArea(reserved, dialog);
    area->setObjectName(QStringLiteral("fields"));
    area->setAccessibleName(QStringLiteral("Fields"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    top->addWidget(area, 1);
    top->addLayout(buttons);
}
