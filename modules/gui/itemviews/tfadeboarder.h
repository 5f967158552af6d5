#pragma once

#include <QWidget>

// Transparent overlay that paints a fade image at its upper and/or lower edge.
class TFadeBoarder : public QWidget
{
    Q_OBJECT
public:
    explicit TFadeBoarder(QWidget *parent = nullptr);

    void setTopFadeVisible(bool visible);
    void setBottomFadeVisible(bool visible);
    bool isTopFadeVisible() const { return m_topFadeVisible; }
    bool isBottomFadeVisible() const { return m_bottomFadeVisible; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_topFadeVisible = true;
    bool m_bottomFadeVisible = true;
};
