#pragma once

#include <QFrame>
#include <QList>
#include <QString>

class QGraphicsPixmapItem;
class TUpdateObject;

// One full-window view of a touch application. Its update objects are
// connected only while the main window shows it.
class TScreen : public QFrame
{
    Q_OBJECT
    friend class TMainWindow;
public:
    TScreen(const QString &heading, const QString &pageHeading, QWidget *parent = nullptr);
    ~TScreen() override;

    QString heading() const { return m_heading; }
    QString pageHeading() const { return m_pageHeading; }
    void setPageHeading(const QString &text);

    virtual void activate();
    virtual void deactivate();

    void addUpdateObject(TUpdateObject *object);
    // The screen's snapshot in the main window's scene (null until first shown).
    QGraphicsPixmapItem *pixmapItem() const { return m_pixmapItem; }
    QList<TUpdateObject *> updateObjects() const { return m_updateObjects; }

signals:
    void headingsChanged();

public slots:
    virtual void handleHomeSelected();
    virtual void resetScreen();
    virtual void refreshScreen();

protected:
    QList<TUpdateObject *> m_updateObjects;

private:
    QGraphicsPixmapItem *m_pixmapItem = nullptr;
    QString m_heading;
    QString m_pageHeading;
};
