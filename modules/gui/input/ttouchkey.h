#pragma once

#include <QWidget>

class QTimer;
class TBaseKeyData;

// One key of a touch keypad. It shows and sends the description it points
// to; a description with auto-repeat fires on press, after 500 ms and then
// every 50 ms while held; a checkable one latches on each click.
class TTouchKey : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool down READ isDown WRITE setDown)
    Q_PROPERTY(bool checked READ isDown WRITE setChecked)
public:
    TTouchKey(QWidget *parent, int width, bool smallFont);

    void setKeyData(TBaseKeyData *pKeyData);
    TBaseKeyData *keyData() const { return m_keyData; }
    void setChecked(bool checked);
    bool isChecked() const;
    void setDown(bool down);
    bool isDown() const { return m_down; }
    QString imageName() const { return m_imageName; }
    bool hasRepeatTimer() const { return m_repeatTimer != nullptr; }
    bool isRepeating() const;
    // Lets go of a press under way: not down, no repeat.
    void cancelPress();

signals:
    void keyActivated(TBaseKeyData *pKeyData);

public slots:
    void repeatTimeout();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool isCyrillicToggle() const;

    QString m_imageName;
    bool m_down = false;
    bool m_checked = false;
    TBaseKeyData *m_keyData = nullptr;
    QTimer *m_repeatTimer = nullptr;
};
