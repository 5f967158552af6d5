#include "tpasswordreqwindow.h"

#include "tlineedit.h"
#include "tmessagewindow.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QVBoxLayout>

TPasswordReqWindow::TPasswordReqWindow(const QString &header, const QString &text)
    : TAbstractCfgWindow(header, true)
{
    m_label = new QLabel(text, editingFrame());
    m_label->setObjectName(QStringLiteral("OptionLabel"));
    m_edit = new TLineEdit(nullptr, false, editingFrame(), false);
    m_edit->setMaxLength(100);
    m_edit->setEchoMode(QLineEdit::Password);
    auto *layout = new QVBoxLayout(editingFrame());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_label);
    layout->addWidget(m_edit);
    setMinimumWidth(300);
    setFocusWidget(m_edit);
}

void TPasswordReqWindow::updateData()
{
    m_edit->clear();
}

void TPasswordReqWindow::storeData()
{
    QMetaObject::invokeMethod(this, "validatePassword", Qt::DirectConnection);
}

void TPasswordReqWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Enter) {
        TAbstractCfgWindow::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!event->isAutoRepeat())
        storeData();
}

void TPasswordReqWindow::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Enter)
        event->accept();
    else
        TAbstractCfgWindow::keyReleaseEvent(event);
}

void TPasswordReqWindow::validatePassword()
{
    const QString typed = m_edit->text();
    const bool accepted = m_expected.isEmpty() ? typed == defaultPassword() : typed == m_expected;
    if (accepted) {
        emit correctPassword();
        close();
        return;
    }
    m_edit->setFocus(Qt::OtherFocusReason);
    m_edit->clear();
    TMessageWindow::showWarning(tr("Access denied"), tr("Incorrect password"), m_edit);
}
