#pragma once

#include <QPointer>
#include <QWidget>

class QFrame;
class QLabel;
class QVBoxLayout;
class TAbstractCfgWindow;
class TPasswordReqWindow;
class TStatusDescription;

// A framed, pressable panel of label / value rows showing one group of
// settings; pressing it opens the group's configuration window, optionally
// only after the configuration password was given.
class TCfgField : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool down READ isDown WRITE setDown)
    Q_PROPERTY(bool selectable READ isSelectable WRITE setSelectable)
public:
    TCfgField(const QString &header, const QString &iconName, QWidget *parent = nullptr, bool passwordRequired = false);

    void addDataWidget(QWidget *widget);
    void showStatus(const QString &heading, const QString &description);
    void clearStatus();
    void closeCfgWindow();

    bool isDown() const { return m_down; }
    void setDown(bool down);
    bool isSelectable() const { return m_selectable; }
    void setSelectable(bool selectable);

    QVBoxLayout *columnLayout() const { return m_columnLayout; }
    QWidget *rowsWidget() const { return m_rows; }
    TStatusDescription *statusDescription() const { return m_statusDescription; }
    TPasswordReqWindow *passwordWindow() const { return m_passwordWindow; }
    void setCfgWindow(TAbstractCfgWindow *window) { m_cfgWindow = window; }
    bool isPasswordRequired() const { return m_passwordRequired; }

signals:
    void clicked();

public slots:
    virtual void showCfgWindow();
    virtual void showPasswordReqWindow();
    virtual void updateData();
    void handlePasswordReqWindowDestroyed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QFrame *m_dataFrame;
    QString m_iconName;
    QLabel *m_header;
    QPointer<TAbstractCfgWindow> m_cfgWindow;
    QVBoxLayout *m_columnLayout;
    QWidget *m_rows;
    TStatusDescription *m_statusDescription = nullptr;
    QPointer<TPasswordReqWindow> m_passwordWindow;
    bool m_down = false;
    bool m_selectable = true;
    bool m_passwordRequired;
};
