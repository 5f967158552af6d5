#pragma once

#include <QDateTime>
#include <QString>

// What a product message window shows of one application event. The
// application fills it from its event; the framework knows no events.
struct TProductMessage
{
    int severity = 0;
    QString heading;
    QString description;
    QString productName;
    QString productIcon;      // the event source's image (100 x 80), may be empty
    QString serviceIcon;      // the event service's image, may be empty
    QString severityIconBig;  // the severity image shown alone
    QString severityIconSmall; // the severity mark over the service image
    QDateTime time;
};
