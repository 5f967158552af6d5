#include "ttouchnumberkeypad.h"

#include "tstandardkeydata.h"
#include "ttouchkey.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

TTouchNumberKeypad::TTouchNumberKeypad(QWidget *parent)
    : TBaseTouchKeypad(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFrameShadow(QFrame::Plain);
    setMinimumSize(176, 232);
    setMaximumSize(176, 232);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    QHBoxLayout *rows[4];
    for (QHBoxLayout *&row : rows) {
        row = new QHBoxLayout;
        row->setSpacing(1);
        row->setContentsMargins(0, 0, 0, 0);
        layout->addLayout(row);
    }
    for (int i = 0; i < 11; ++i) {
        TBaseKeyData *data;
        if (i < 10) {
            const int digit = (i + 1) % 10; // keys 1..9, then 0
            data = new TStandardKeyData(Qt::Key_0 + digit, QString::number(digit));
        } else {
            data = new TStandardKeyData(Qt::Key_Backspace, QString(), tr("Back\nspace"),
                                        QStringLiteral("zkgui_key_backspace"), true);
        }
        m_ownedKeyData.emplace_back(data);
        auto *key = new TTouchKey(this, i < 10 ? 58 : 117, i == 10);
        key->setKeyData(data);
        registerKey(key);
        m_defaultKeyData << data;
        rows[qMin(i / 3, 3)]->addWidget(key);
    }
}

TTouchNumberKeypad::~TTouchNumberKeypad() = default;

void TTouchNumberKeypad::setKeyData(const QList<TBaseKeyData *> &list)
{
    for (int i = 0; i < m_keys.size() && i < list.size(); ++i)
        m_keys[i]->setKeyData(list[i]);
}

void TTouchNumberKeypad::restoreKeyData()
{
    setKeyData(m_defaultKeyData);
}
