#pragma once

#include <QScrollArea>

class TFadeBoarder;
class TViewPort;

// Vertical-only scroll area with the touch viewport and fade images at the
// edges that have more content beyond them.
class TVerticalScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit TVerticalScrollArea(QWidget *parent = nullptr);

    TViewPort *viewPort() const { return m_viewPort; }
    TFadeBoarder *fadeBoarder() const { return m_fadeBoarder; }

public slots:
    void slicderValueChanged(int value);
    void slicderRangeChanged(int min, int max);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    TViewPort *m_viewPort;
    TFadeBoarder *m_fadeBoarder;
};
