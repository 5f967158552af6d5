#pragma once

#include "tabstractsubwindow.h"
#include "tproductmessage.h"

class QLabel;
class TButtonBar;
class TIconWidget;
class TOptionButton;

// The pop-up for one application event: service or severity image, heading,
// UTC time, the product's image and name, and the description.
class TProductMessageWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    explicit TProductMessageWindow(const TProductMessage &message, TButtonBar *pButtonBar = nullptr,
                                   TOptionButton *pOptionButton = nullptr);

    // Builds the pop-up for the message, deleted on close, in the event cascade.
    static TProductMessageWindow *showMessage(const TProductMessage &message);

    QString description() const { return m_descriptionText; }
    QLabel *timeLabel() const { return m_timeLabel; }
    TIconWidget *imageWidget() const { return m_image; }
    TIconWidget *severityMark() const { return m_severityMark; }

private:
    QLabel *m_descriptionLabel;
    QString m_descriptionText;
    QLabel *m_timeLabel;
    TIconWidget *m_image;
    TIconWidget *m_severityMark = nullptr;
};
