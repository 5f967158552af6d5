#pragma once

#include "tabstractsubwindow.h"

#include <QDateTime>
#include <QPointer>

class QLabel;
class QTimer;
class QVBoxLayout;
class TButtonBar;
class TIconWidget;
class TOptionButton;

// The framework's general pop-up note: a type image, a header, a
// description and a button bar; warnings, errors and yes/no questions.
class TMessageWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    enum MessageType { Information = 0, Warning = 1, Error = 2, Question = 3, NewMessage = 4, Distress = 5, NewDistressMessage = 6 };

    TMessageWindow(MessageType type, const QString &header, const QString &description,
                   TButtonBar *pButtonBar = nullptr, TOptionButton *pOptionButton = nullptr);
    ~TMessageWindow() override;

    void showMessage(QWidget *pCommingFrom);
    static TMessageWindow *openMessage(MessageType type, const QString &header, const QString &description,
                                       const QDateTime &timeStamp, QWidget *pCommingFrom,
                                       TButtonBar *pButtonBar = nullptr, TOptionButton *pOptionButton = nullptr);
    static TMessageWindow *showWarning(const QString &header, const QString &description, QWidget *pCommingFrom,
                                       TButtonBar *pButtonBar = nullptr, TOptionButton *pOptionButton = nullptr);
    static TMessageWindow *showError(const QString &header, const QString &description, QWidget *pCommingFrom,
                                     TButtonBar *pButtonBar = nullptr, TOptionButton *pOptionButton = nullptr);
    static TMessageWindow *yesNoQuestion(const QString &header, const QString &description, QWidget *pCommingFrom,
                                         QObject *pResponseHandler, const char *yesSlot, const char *noSlot);

    void setTimeStamp(const QDateTime &timeStamp);
    QString getHeader() const;
    QString getDescription() const;
    static QString getIconName(int type);

    QLabel *timeStampLabel() const { return m_timeStamp; }
    TButtonBar *buttonBar() const { return m_buttonBar; }
    // Shows a count-down label under the description, stepping once a second.
    void startCountdown(int seconds);
    int remainingSeconds() const { return m_remaining; }
    QLabel *countdownLabel() const { return m_countdownLabel; }

signals:
    void countDownCompleted();

public slots:
    void stepCountdown();
    void debugButtonBar();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QVBoxLayout *m_mainLayout;
    QLabel *m_header;
    QLabel *m_description;
    QString m_descriptionText;
    QLabel *m_timeStamp;
    TIconWidget *m_typeImage;
    TButtonBar *m_buttonBar;
    QLabel *m_countdownLabel = nullptr;
    int m_remaining = 0;
    QTimer *m_countdownTimer = nullptr;
};
