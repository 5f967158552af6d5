#include "layoutcheck.h"

#include "toptioniconbutton.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QGridLayout>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QSet>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QTextDocument>
#include <QWidget>

#include <cmath>

namespace layoutcheck {

namespace {

QString rectText(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Contents of a scroll area, and the rows of a list that scrolls them
// itself, may lie beyond what is seen.
bool scrolls(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    if (!parent)
        return false;
    if (parent->inherits("TListView"))
        return true;
    if (auto *area = qobject_cast<const QAbstractScrollArea *>(parent->parentWidget()))
        return area->viewport() == parent;
    return false;
}

struct Managed
{
    QWidget *widget;
    QString cell; // widgets sharing a grid cell are layers by design
};

// The visible widgets a layout of the parent places, in nested layouts too;
// widgets of a stacked layout lie over each other by design.
void managedWidgets(QLayout *layout, QList<Managed> &out)
{
    if (!layout || qobject_cast<QStackedLayout *>(layout))
        return;
    auto *grid = qobject_cast<QGridLayout *>(layout);
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (QWidget *w = item->widget()) {
            if (w->isVisible() && !w->isWindow() && !w->geometry().isEmpty()) {
                QString cell;
                if (grid) {
                    int row, column, rows, columns;
                    grid->getItemPosition(i, &row, &column, &rows, &columns);
                    cell = QStringLiteral("%1:%2:%3").arg(quintptr(grid)).arg(row).arg(column);
                }
                out.append({w, cell});
            }
        } else if (item->layout()) {
            managedWidgets(item->layout(), out);
        }
    }
}

void checkText(QWidget *widget, QStringList &out)
{
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        const QString text = label->text();
        // An eliding label shortens its text with an ellipsis by design.
        if (text.isEmpty() || Qt::mightBeRichText(text) || !label->pixmap(Qt::ReturnByValue).isNull() || label->inherits("TElideLabel"))
            return;
        const QRect area = label->contentsRect().adjusted(label->indent() > 0 ? label->indent() : 0, 0, 0, 0);
        const QFontMetrics fm = label->fontMetrics();
        if (label->wordWrap()) {
            const QRect needed = fm.boundingRect(QRect(0, 0, area.width(), 100000), Qt::TextWordWrap | label->alignment(), text);
            if (needed.height() > area.height() + 1)
                out << QStringLiteral("text cut: %1 needs %2 px height, has %3").arg(describe(widget)).arg(needed.height()).arg(area.height());
        } else {
            QStringList lines = text.split(QLatin1Char('\n'));
            int width = 0;
            for (const QString &line : lines)
                width = qMax(width, fm.horizontalAdvance(line));
            const int height = fm.height() * lines.size();
            if (width > area.width() + 1 || height > area.height() + 1)
                out << QStringLiteral("text cut: %1 needs %2x%3 px, has %4x%5")
                           .arg(describe(widget)).arg(width).arg(height).arg(area.width()).arg(area.height());
        }
    } else if (auto *icon = qobject_cast<TOptionIconButton *>(widget)) {
        // The text is painted at the bottom of the button, centred.
        if ((icon->textFlags() & TOptionIconButton::DrawText) && !icon->text().isEmpty()) {
            QStyleOptionToolButton opt;
            opt.initFrom(icon);
            const QRect content = icon->style()->subElementRect(QStyle::SE_FrameContents, &opt, icon);
            const int room = content.isValid() ? content.width() : icon->width();
            const int needed = icon->fontMetrics().size(Qt::TextShowMnemonic, icon->text()).width();
            if (needed > room)
                out << QStringLiteral("text cut: %1 needs %2 px width, has %3").arg(describe(widget)).arg(needed).arg(room);
        }
    } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        const QSize hint = button->minimumSizeHint();
        if (!button->text().isEmpty() && (hint.width() > button->width() + 1 || hint.height() > button->height() + 1))
            out << QStringLiteral("button cut: %1 needs %2x%3 px, has %4x%5")
                       .arg(describe(widget)).arg(hint.width()).arg(hint.height()).arg(button->width()).arg(button->height());
    }
}

// The status symbol is painted by the panel under its heading's indent.
void checkStatusSymbol(QWidget *widget, QStringList &out)
{
    if (!widget->inherits("TStatusDescription"))
        return;
    auto *heading = widget->findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    const int top = heading ? qMax(0, (heading->height() - 35) / 2) : 0;
    const QImage seen = widget->grab().toImage();
    const QRect symbol(0, top, 35, 35);
    const QColor background = seen.pixelColor(qMin(seen.width() - 1, 37), qMin(seen.height() - 1, symbol.center().y()));
    int differing = 0;
    for (int y = symbol.top(); y <= symbol.bottom() && y < seen.height(); ++y)
        for (int x = symbol.left(); x <= symbol.right() && x < seen.width(); ++x)
            differing += seen.pixelColor(x, y) != background;
    if (differing < 100)
        out << QStringLiteral("status symbol not seen: %1").arg(describe(widget));
}

void checkChildren(QWidget *parent, QStringList &out)
{
    // Inside its parent, unless it scrolls.
    const QList<QWidget *> children = parent->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (child->isWindow() || !child->isVisible())
            continue;
        if (!scrolls(child) && !parent->rect().contains(child->geometry()))
            out << QStringLiteral("outside: %1 at %2 in %3 of %4")
                       .arg(describe(child), rectText(child->geometry()), rectText(parent->rect()), describe(parent));
        checkText(child, out);
        checkStatusSymbol(child, out);
        checkChildren(child, out);
    }
    // No two controls laid out side by side share pixels.
    QList<Managed> managed;
    managedWidgets(parent->layout(), managed);
    for (int i = 0; i < managed.size(); ++i) {
        for (int j = i + 1; j < managed.size(); ++j) {
            if (!managed[i].cell.isEmpty() && managed[i].cell == managed[j].cell)
                continue;
            const QWidget *a = managed[i].widget;
            const QWidget *b = managed[j].widget;
            if (!(a->geometry() & b->geometry()).isEmpty())
                out << QStringLiteral("overlap: %1 at %2 and %3 at %4")
                           .arg(describe(a), rectText(a->geometry()), describe(b), rectText(b->geometry()));
        }
    }
}

} // namespace

QString describe(const QWidget *widget)
{
    QString text;
    if (auto *label = qobject_cast<const QLabel *>(widget))
        text = label->text();
    else if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        text = button->text();
    QString d = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty())
        d += QStringLiteral(" '%1'").arg(widget->objectName());
    if (!text.isEmpty())
        d += QStringLiteral(" \"%1\"").arg(text.left(40));
    return d;
}

QStringList faults(QWidget *window)
{
    QStringList out;
    if (QWidget *parent = window->parentWidget()) {
        const QRect inParent(window->mapTo(window->window(), QPoint(0, 0)), window->size());
        if (!window->window()->rect().contains(inParent))
            out << QStringLiteral("outside: %1 at %2 in the main window's %3")
                       .arg(describe(window), rectText(inParent), rectText(window->window()->rect()));
        Q_UNUSED(parent)
    }
    checkText(window, out);
    checkChildren(window, out);
    out.removeDuplicates();
    return out;
}

namespace {

double luminance(const QColor &c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

QColor commonestColour(const QImage &image, const QRect &rect)
{
    QHash<QRgb, int> counts;
    const QRect r = rect & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000u];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    }
    return QColor(best);
}

} // namespace

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QStringList contrastFaults(QWidget *window, QWidget *shownIn, const QImage &shot)
{
    QStringList out;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : qAsConst(widgets)) {
        // Disabled controls are dimmed on purpose.
        if (!w->isVisible() || !w->isEnabled() || (w != shownIn && !shownIn->isAncestorOf(w)))
            continue;
        QColor ink;
        QRect place;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().trimmed().isEmpty())
                continue;
            ink = label->palette().color(label->foregroundRole());
            place = label->contentsRect();
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (button->text().trimmed().isEmpty() || button->isDown())
                continue;
            if (auto *icon = qobject_cast<TOptionIconButton *>(button); icon && !(icon->textFlags() & TOptionIconButton::DrawText))
                continue;
            ink = button->palette().color(button->foregroundRole());
            place = button->rect();
        } else {
            continue;
        }
        const QRect inShot(w->mapTo(shownIn, place.topLeft()), place.size());
        if ((inShot & shot.rect()).isEmpty())
            continue;
        const QColor background = commonestColour(shot, inShot);
        const double ratio = contrast(ink, background);
        if (ratio < 4.5)
            out << QStringLiteral("contrast %1:1: %2, text %3 on %4")
                       .arg(ratio, 0, 'f', 1)
                       .arg(describe(w), ink.name(), background.name());
    }
    return out;
}

} // namespace layoutcheck
