#pragma once

// Where a window opens and how big it may be: centred over the window it belongs to, on
// the screen; fields that do not fit the screen scroll while the buttons stay visible.

class QLayout;
class QPoint;
class QRect;
class QSize;
class QVBoxLayout;
class QWidget;

// Moves `window`, `size` big with its frame, so that it is centred at `centre` as far as
// `area` allows: never past its right or bottom edge, and its top left always inside.
void MoveCentredWithin(QWidget* window, const QSize& size, const QPoint& centre, const QRect& area);

// Centres `window` over its parent window each time it is shown (over the screen when it
// has none), kept inside the screen's available area. Needs no window manager.
void CenterOnParent(QWidget* window);

// The window the operator is working in: the active modal dialog (not the progress
// window of a transfer), else the active window, else `fallback`.
QWidget* RaisingWindow(QWidget* fallback);

// Adds `fields` to `top` inside a scroll area that takes the fields' natural size when
// the screen has room for it and the screen's room otherwise, then `buttons` below it.
void AddFittingFields(QVBoxLayout* top, QLayout* fields, QLayout* buttons, QWidget* dialog);
