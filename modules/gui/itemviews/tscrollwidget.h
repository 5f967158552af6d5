#pragma once

#include <QWidget>

// Content widget of a touch scroll area; reports width changes.
class TScrollWidget : public QWidget
{
    Q_OBJECT
public:
    explicit TScrollWidget(QWidget *parent = nullptr);

signals:
    void widthChanged(int newWidth);

protected:
    void resizeEvent(QResizeEvent *event) override;
};
