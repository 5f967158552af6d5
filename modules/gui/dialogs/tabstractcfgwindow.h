#pragma once

#include "tabstractsubwindow.h"

class QLabel;
class QStackedLayout;
class TButtonBar;
class TOption;
class TOptionButton;
class TStatusDescription;

// Base of the windows that edit one group of settings: a header, an editing
// frame for the concrete window's editors, and OK / Cancel. Every showing
// refreshes the editors (updateData); OK stores (storeData).
class TAbstractCfgWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    TAbstractCfgWindow(const QString &header, bool keyboard);

    QString getHeader() const;
    void showEditingFrame();
    void showStatusDescription(const QString &heading, const QString &description);

    QFrame *editingFrame() const { return m_editingFrame; }
    TButtonBar *buttonBar() const { return m_buttonBar; }
    TOption *okOption() const { return m_okOption; }
    TOption *cancelOption() const { return m_cancelOption; }
    TOptionButton *okButton() const { return m_okButton; }
    TOptionButton *cancelButton() const { return m_cancelButton; }
    TStatusDescription *statusDescription() const { return m_statusDescription; }
    bool isStatusShown() const;

signals:
    void stored();

public slots:
    virtual void updateData() = 0;
    virtual void storeData() = 0;

private:
    QLabel *m_header;
    QFrame *m_editingFrame;
    TButtonBar *m_buttonBar;
    TOption *m_okOption;
    TOption *m_cancelOption;
    TOptionButton *m_okButton;
    TOptionButton *m_cancelButton;
    TStatusDescription *m_statusDescription = nullptr;
    QFrame *m_statusPage = nullptr;
    QStackedLayout *m_pages;
};
