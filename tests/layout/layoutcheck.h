#pragma once
// Faults a person would see in a shown window: a control outside its
// parent, controls laid over each other, a text cut by its control.
#include <QStringList>

class QColor;
class QImage;
class QWidget;

namespace layoutcheck {

// The faults of the window and its visible children, one line each.
// The window itself must lie inside area (in the coordinates of its parent).
QStringList faults(QWidget *window);

// The texts of the window (labels and buttons) whose colour stands out from
// what lies behind it by less than 4.5:1. shot is what shownIn looks like;
// the background of a text is the commonest colour of its place in shot.
QStringList contrastFaults(QWidget *window, QWidget *shownIn, const QImage &shot);

// The contrast ratio of two colours (1 to 21).
double contrast(const QColor &a, const QColor &b);

// "class 'object name' 'text'" of a widget, for messages.
QString describe(const QWidget *widget);

} // namespace layoutcheck
