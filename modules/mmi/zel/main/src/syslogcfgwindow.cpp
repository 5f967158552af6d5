#include "syslogcfgwindow.h"

#include "tlineedit.h"
#include "tlinksyslogif.h"
#include "tlistcolumndesc.h"
#include "tlistitem.h"
#include "tlistwidget.h"
#include "tmessagewindow.h"
#include "ttouchnumberkeypad.h"
#include "tuintvalidator.h"

#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSettings>
#include <QVBoxLayout>

static const char stateKey[] = "syslog_server/ext_server_state";
static const char addressKey[] = "syslog_server/ext_server_address";
static const char portKey[] = "syslog_server/ext_server_port_no";

SyslogCfgWindow::SyslogCfgWindow()
    : TAbstractCfgWindow(tr("Forward live logging."), false)
{
    QFrame *frame = editingFrame();
    keypad = new TTouchNumberKeypad(frame);

    auto *row = new QHBoxLayout(frame);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(15);

    auto *column = new QVBoxLayout;
    column->setAlignment(Qt::AlignTop);
    column->setContentsMargins(0, 1, 0, 0);
    column->setSpacing(0);
    row->addLayout(column);
    row->addStretch();
    row->addWidget(keypad);
    row->addStretch();

    enableListWidget = new TListWidget(frame, 1, 9);
    enableListWidget->addColumn(new TListColumnDesc(4, 58, 58, 0));
    enableListWidget->addColumn(new TListColumnDesc(2, 280, 500, 5));
    enableListWidget->setCheckable(true);
    enableListWidget->setFixedHeight(58);
    auto *item = new TListItem(0, tr("Forward live logging."), enableListWidget);
    item->setChecked(enable);
    item->setEnabled(true);
    enableListWidget->addItem(item, true);
    column->addWidget(enableListWidget);

    auto *addressLabel = new QLabel(tr("External syslog server address:"), frame);
    addressLabel->setObjectName(QStringLiteral("OptionLabel"));
    column->addWidget(addressLabel);

    auto *grid = new QGridLayout;
    grid->setAlignment(Qt::AlignTop);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(1);
    grid->setVerticalSpacing(0);
    for (int i = 0; i < 4; ++i) {
        TLineEdit *field = makeField(3, 255);
        addressEdits << field;
        grid->addWidget(field, 0, i * 2);
        if (i < 3) {
            auto *dot = new QLabel(QStringLiteral("."), frame);
            dot->setMinimumWidth(10);
            grid->addWidget(dot, 0, i * 2 + 1);
        }
    }
    auto *portLabel = new QLabel(tr("Port:"), frame);
    portLabel->setObjectName(QStringLiteral("OptionLabel"));
    portLabel->setMinimumWidth(10);
    grid->addWidget(portLabel, 1, 0);
    portEdit = makeField(5, 65535);
    grid->addWidget(portEdit, 2, 0);
    column->addLayout(grid);

    // A full octet moves on to the next field, as does a typed full stop, so
    // that an address can be typed in one go.
    QList<TLineEdit *> chain = addressEdits;
    chain << portEdit;
    for (int i = 0; i < chain.size(); ++i) {
        if (i > 0)
            chain.at(i)->setPreviousFocusWidget(chain.at(i - 1));
        if (i + 1 < chain.size())
            chain.at(i)->setNextFocusWidget(chain.at(i + 1), Qt::Key_Period, Qt::Key_Comma);
    }

    setFocusWidget(addressEdits.first());
}

TLineEdit *SyslogCfgWindow::makeField(int maxLength, int top)
{
    auto *field = new TLineEdit(keypad, false, editingFrame(), true);
    field->setAlignment(Qt::AlignRight);
    field->setMaxLength(maxLength);
    field->setValidator(new TUintValidator(0, top, field));
    // No zeros in front: an emptied field stays visibly empty, and a port
    // reads as the number it is.
    field->setMaximumWidth(58);
    return field;
}

void SyslogCfgWindow::updateData()
{
    QSettings settings;
    enable = settings.contains(QLatin1String(stateKey)) && settings.value(QLatin1String(stateKey)).toBool();
    if (TListItem *item = enableListWidget->findItem(0))
        item->setChecked(enable);

    if (settings.contains(QLatin1String(addressKey)))
        address = settings.value(QLatin1String(addressKey)).toString();
    QStringList parts = address.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (parts.size() != 4) {
        qDebug() << "SyslogCfgWindow::updateData: stored address not in four parts:" << address;
        address = QStringLiteral("0.0.0.0");
        parts = address.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    }
    for (int i = 0; i < 4; ++i)
        addressEdits.at(i)->setText(parts.at(i));

    port = quint16(settings.contains(QLatin1String(portKey)) ? settings.value(QLatin1String(portKey)).toInt() : 514);
    portEdit->setText(QString::number(port));
}

QString SyslogCfgWindow::inputError() const
{
    for (const TLineEdit *field : addressEdits) {
        bool isNumber = false;
        const uint value = field->text().toUInt(&isNumber, 10);
        if (!isNumber || value > 255)
            return tr("Each part of the address must be a number from 0 to 255.");
    }
    bool isNumber = false;
    const uint typed = portEdit->text().toUInt(&isNumber, 10);
    if (!isNumber || typed < 1 || typed > 65535)
        return tr("The port must be a number from 1 to 65535.");
    return QString();
}

void SyslogCfgWindow::storeData()
{
    // Nothing incomplete is stored: the window stays open with the reason.
    const QString error = inputError();
    if (!error.isEmpty()) {
        TMessageWindow::showWarning(tr("Invalid syslog server"), error, okButton(), nullptr, nullptr);
        return;
    }
    // Octets padded with zeros on focus-out are stored in plain decimal: an
    // address parser reads "010" as octal 8.
    QStringList octets;
    for (const TLineEdit *field : qAsConst(addressEdits))
        octets << QString::number(field->text().toUInt(nullptr, 10));
    address = QStringLiteral("%1.%2.%3.%4").arg(octets.at(0), octets.at(1), octets.at(2), octets.at(3));
    port = quint16(portEdit->text().toUInt(nullptr, 10));
    const TListItem *item = enableListWidget->findItem(0);
    enable = item && item->isChecked();
    {
        QSettings settings;
        settings.setValue(QLatin1String(addressKey), address);
        settings.setValue(QLatin1String(portKey), port);
        settings.setValue(QLatin1String(stateKey), enable);
    }
    TLinkSyslogIf::instance()->setExternalSyslog(enable, address, port);
    close();
}
