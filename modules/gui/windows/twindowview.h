#pragma once

#include "tanimationpixmapwidget.h"

#include <QPointer>

// A window-level view of the main window: the screen area or a sub-window's
// overlay. It remembers where the focus was while another view lies on top.
class TWindowView : public TAnimationPixmapWidget
{
    Q_OBJECT
public:
    explicit TWindowView(QWidget *parent = nullptr);
    ~TWindowView() override;

    void setViewActive(bool active);
    virtual int isDistress() const;

    QWidget *lastFocusWidget() const { return m_lastFocusWidget; }

public slots:
    void handleLastFocusWidgetDestroyed(QObject *pDestroyedObject);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void watchLastFocusWidget(QWidget *widget);

    QWidget *m_defaultFocusWidget;
    QWidget *m_lastFocusWidget;
};
