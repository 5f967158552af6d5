#pragma once
// Faults a person would see in a shown window: a control outside its
// parent, controls laid over each other, a text cut by its control.
#include <QStringList>

class QWidget;

namespace layoutcheck {

// The faults of the window and its visible children, one line each.
// The window itself must lie inside area (in the coordinates of its parent).
QStringList faults(QWidget *window);

// "class 'object name' 'text'" of a widget, for messages.
QString describe(const QWidget *widget);

} // namespace layoutcheck
