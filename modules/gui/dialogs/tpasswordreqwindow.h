#pragma once

#include "tabstractcfgwindow.h"

class QLabel;
class TLineEdit;

// Asks for a password before something protected opens. Without an expected
// password the default configuration password applies.
class TPasswordReqWindow : public TAbstractCfgWindow
{
    Q_OBJECT
public:
    TPasswordReqWindow(const QString &header, const QString &text);

    void setPassword(const QString &password) { m_expected = password; }
    TLineEdit *passwordEdit() const { return m_edit; }
    static QString defaultPassword() { return QStringLiteral("3958"); }

signals:
    void correctPassword();

public slots:
    void updateData() override;
    void storeData() override;
    virtual void validatePassword();

protected:
    // Enter, from the on-screen keyboard (a press alone) or the keypad, is OK.
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    QLabel *m_label;
    TLineEdit *m_edit;
    QString m_expected;
};
