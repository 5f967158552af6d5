#pragma once

#include <QScrollArea>

class TFadeBoarder;
class TViewPort;

// Vertical-only scroll area, scrolled by finger through its TViewPort, with
// fade images at the edges that have more content beyond them.
class TVerticalScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit TVerticalScrollArea(QWidget *parent = nullptr);

    TFadeBoarder *fadeBoarder() const { return m_fadeBoarder; }
    TViewPort *viewPort() const;

public slots:
    void slicderValueChanged(int value);
    void slicderRangeChanged(int min, int max);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    TFadeBoarder *m_fadeBoarder;
};
