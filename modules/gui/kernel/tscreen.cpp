#include "tscreen.h"

#include "tmainwindow.h"
#include "tupdateobject.h"

#include <QDebug>

TScreen::TScreen(const QString &heading, const QString &pageHeading, QWidget *parent)
    : QFrame(parent)
    , m_heading(heading)
    , m_pageHeading(pageHeading)
{
}

TScreen::~TScreen()
{
    // Update objects owned by this screen die after this point; stop watching them.
    for (TUpdateObject *object : qAsConst(m_updateObjects))
        disconnect(object, &QObject::destroyed, this, nullptr);
}

void TScreen::setPageHeading(const QString &text)
{
    m_pageHeading = text;
    emit headingsChanged();
}

void TScreen::addUpdateObject(TUpdateObject *object)
{
    m_updateObjects.append(object);
    // The receiver owns the object; forget it when it goes.
    connect(object, &QObject::destroyed, this, [this, object] { m_updateObjects.removeAll(object); });
}

void TScreen::activate()
{
    for (TUpdateObject *object : qAsConst(m_updateObjects))
        object->start();
    refreshScreen();
}

void TScreen::deactivate()
{
    for (TUpdateObject *object : qAsConst(m_updateObjects))
        object->stop();
}

void TScreen::handleHomeSelected()
{
    qDebug() << "TScreen::handleHomeSelected: Start of function TScreen::handleHomeSelected(). About to run showMainScreen().";
    if (TMainWindow::instance())
        TMainWindow::instance()->showMainScreen();
}

void TScreen::resetScreen()
{
}

void TScreen::refreshScreen()
{
}
