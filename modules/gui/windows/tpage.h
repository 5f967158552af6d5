#pragma once

#include "tbusywidget.h"

#include <QFrame>
#include <QList>
#include <QPointer>

class QAbstractButton;
class TOption;
class TUpdateObject;

// One page of a page screen. Its update objects run only while it is the
// current page of the current screen; it may carry a page menu and a busy state.
class TPage : public QFrame
{
    Q_OBJECT
public:
    explicit TPage(const QString &title, QWidget *parent = nullptr);
    ~TPage() override;

    QString title() const { return m_title; }
    bool isActive() const { return m_active; }

    void addUpdateObject(TUpdateObject *object);
    void removeUpdateObject(TUpdateObject *object);
    QList<TUpdateObject *> updateObjects() const { return m_updateObjects; }

    void setPageButton(QAbstractButton *button);
    QAbstractButton *pageButton() const { return m_pageButton; }
    void setMenuOptions(const QList<TOption *> &options) { m_menuOptions = options; }
    QList<TOption *> menuOptions() const { return m_menuOptions; }
    void setFocusWidget(QWidget *widget) { m_focusWidget = widget; }
    void setOpenMenuOnReset(bool on) { m_openMenuOnReset = on; }
    void setPageScreen(QWidget *screen) { m_pageScreen = screen; }
    QWidget *pageMenu() const { return m_pageMenu; }
    // Lays a busy overlay over the page until the worker finishes or the time runs out.
    void setBusy(TBusyWidget *overlay, QObject *worker);
    TBusyWidget *busyWidget() const { return m_busy; }

    virtual void activate();
    virtual void deactivate();
    virtual void handleBusyEnded(TBusyWidget::EndReason endReason);
    virtual QRect getSelectedRect() const;

signals:
    void selected(TPage *pPage);
    void busyEnded();

public slots:
    virtual void resetPage();
    virtual void refreshPage();
    void clrBusy();
    void closeMenu();
    void showMenu();
    void setFocus();
    void clickedHandle(bool checked);
    void handleBusyEndedPrivate(TBusyWidget::EndReason endReason);
    void handleMenuDestroyed(QObject *pObject);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void applyEnabling();
    void forgetWorker();

    QString m_title;
    QPointer<QAbstractButton> m_pageButton;
    QPointer<TBusyWidget> m_busy;
    QPointer<QObject> m_worker;
    QPointer<QWidget> m_focusWidget;
    bool m_active = false;
    QList<TOption *> m_menuOptions;
    QPointer<QWidget> m_pageMenu;
    bool m_openMenuOnReset = false;
    QList<TUpdateObject *> m_updateObjects;
    QPointer<QWidget> m_pageScreen;
};
