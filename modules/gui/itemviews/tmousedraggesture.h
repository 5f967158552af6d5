#pragma once

#include <QGesture>

// The framework's drag gesture: how many pixels to add to a scroll position.
class TMouseDragGesture : public QGesture
{
    Q_OBJECT
public:
    explicit TMouseDragGesture(QObject *parent = nullptr);

    qint32 verticalOffset() const { return m_verticalOffset; }
    void setVerticalOffset(qint32 offset) { m_verticalOffset = offset; }

private:
    qint32 m_verticalOffset = 0;
};
