#pragma once

#include <QScrollArea>

class TFadeBoarder;

// Vertical-only scroll area with fade images at the edges that have more
// content beyond them.
class TVerticalScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit TVerticalScrollArea(QWidget *parent = nullptr);

    TFadeBoarder *fadeBoarder() const { return m_fadeBoarder; }

public slots:
    void slicderValueChanged(int value);
    void slicderRangeChanged(int min, int max);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    TFadeBoarder *m_fadeBoarder;
};
