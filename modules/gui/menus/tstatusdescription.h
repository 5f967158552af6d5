#pragma once

#include <QPointer>
#include <QWidget>

#include <QLabel>
class QVBoxLayout;

// A status panel: an information, warning or error symbol beside a heading,
// with an optional description below.
class TStatusDescription : public QWidget
{
    Q_OBJECT
public:
    enum Status { Information = 0, Warning = 1, Error = 2 };

    TStatusDescription(int status, const QString &heading, QWidget *parent = nullptr,
                       const QString &description = QString(), bool large = false);

    int status() const { return m_status; }
    void setStatus(int status);
    void setHeading(const QString &heading);
    QString heading() const;
    void setDescription(const QString &description);
    QLabel *headingLabel() const { return m_heading; }
    QLabel *descriptionLabel() const { return m_description; }

    static QString symbolName(int status);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_status;
    QLabel *m_heading;
    QPointer<QLabel> m_description;
    QVBoxLayout *m_layout;
    bool m_large;
};
