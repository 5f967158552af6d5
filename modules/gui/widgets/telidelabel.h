#pragma once

#include <QLabel>

// A label that shortens its text with an ellipsis instead of growing.
class TElideLabel : public QLabel
{
    Q_OBJECT
public:
    TElideLabel(const QString &text, Qt::TextElideMode mode, QWidget *parent = nullptr);
    explicit TElideLabel(QWidget *parent = nullptr);

    Qt::TextElideMode elideMode() const { return m_elideMode; }
    void setElideMode(Qt::TextElideMode mode);
    // The text as it is drawn into the label's current width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::TextElideMode m_elideMode = Qt::ElideRight;
};
