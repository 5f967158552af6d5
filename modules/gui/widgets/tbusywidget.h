#pragma once

#include <QString>
#include <QWidget>

class QGraphicsItemAnimation;
class QGraphicsPixmapItem;
class QGraphicsScene;
class QGraphicsView;
class QTimeLine;
class QTimer;

// Translucent overlay over a sub-window while it waits for work: after 50 ms a
// turning arrow with a text, shown for at least 400 ms; ends on clearBusy or
// after the time-out and says why.
class TBusyWidget : public QWidget
{
    Q_OBJECT
public:
    enum EndReason { None = 0, TimedOut = 1, Cleared = 2, Closed = 3 };
    Q_ENUM(EndReason)

    enum State { Idle = 0, Waiting = 1, Busy = 2, ClearPending = 3, WaitingForEnd = 4 };

    explicit TBusyWidget(QWidget *parent = nullptr);

    void setBusy(const QString &iconName, const QString &text, int timeoutMs);
    void clearBusy();

    int state() const { return m_state; }
    EndReason endReason() const { return m_endReason; }
    QString iconName() const { return m_iconName; }
    QString text() const { return m_text; }
    bool arrowShown() const;

signals:
    void busyEnded(TBusyWidget::EndReason reason);

public slots:
    void handleStateTimeout();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildArrow();

    int m_state = Idle;
    EndReason m_endReason = None;
    QString m_iconName;
    QString m_text;
    int m_timeout = 0;
    int m_widgetHeight = 0;
    int m_widgetWidth = 0;
    int m_arrowSide = 0;
    int m_blockWidth = 0;
    int m_blockX = 0;
    int m_blockY = 0;
    QGraphicsView *m_view = nullptr;
    QGraphicsScene *m_scene = nullptr;
    QGraphicsPixmapItem *m_arrowItem = nullptr;
    QTimeLine *m_timeLine = nullptr;
    QGraphicsItemAnimation *m_animation = nullptr;
    QTimer *m_stateTimer = nullptr;
};

Q_DECLARE_METATYPE(TBusyWidget::EndReason)
