#pragma once

#include "tabstractsubwindow.h"

#include <QList>
#include <QPointer>

class QFrame;
class QGridLayout;
class QLabel;
class QTimer;
class TAbstractMenuShower;
class TOptionButton;

// The pop-up listing the children of an option with a sub-menu as a grid of
// option buttons beside the button that opened it. Closed windows go back to
// a process-wide pool and are reused.
class TOptionMenuWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    TOptionMenuWindow();
    ~TOptionMenuWindow() override;

    static void showMenu(TAbstractMenuShower *shower);
    void showOptions(TAbstractMenuShower *shower);

    static QList<TOptionMenuWindow *> &freeWindows();
    // Rows and columns of the entry grid for n entries and the height available.
    static QSize gridShape(int n, int availableHeight);

    QList<TOptionButton *> entries() const { return m_entries; }
    QWidget *menuButton() const { return m_menuButton; }
    QLabel *headingLabel() const { return m_headingLabel; }
    QGridLayout *grid() const { return m_grid; }

public slots:
    void animateEndTimeoutHandler();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void abortShow();
    void clickMenuButton();
    bool focusedCell(int *row, int *column) const;

    QTimer *m_deferTimer;
    TAbstractMenuShower *m_pending = nullptr;
    QPointer<QWidget> m_pendingWidget;
    QLabel *m_headingLabel;
    QFrame *m_headingLine;
    QGridLayout *m_grid;
    QPointer<QWidget> m_menuButton;
    QList<TOptionButton *> m_entries;
    int m_rows = 1;
    int m_columns = 1;
};
