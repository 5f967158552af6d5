#include "zelhelppage.h"

#include "tstylesheet.h"

QUrl ZelHelpPage::url(const QString &fileName)
{
    return QUrl::fromLocalFile(TStyleSheet::defaultResourceRoot() + QLatin1Char('/') + fileName);
}
