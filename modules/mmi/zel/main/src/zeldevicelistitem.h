#pragma once
// ZelDeviceListItem: one row of the device list: the device's image as a
// touch button, a state icon over it, three lines of text (name, software
// version, status) and a row of small service marks with tooltips.
#include <QFont>
#include <QList>
#include <QPair>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

class TActivityWidget;
class TOption;
class TOptionIconButton;

class ZelDeviceListItem : public QWidget
{
    Q_OBJECT
public:
    ZelDeviceListItem(const QString &deviceImageName, QWidget *parent = nullptr);

    void setTexts(const QString &name, const QString &firstLabel, const QString &firstValue,
                  const QString &secondLabel, const QString &secondValue);
    void setStateIcon(const QString &imageName, bool animated);
    void setServiceMarks(const QList<QPair<QString, QString>> &marks);
    void setImagesVisible(bool visible);
    static void cycleStateIconPosition(const QList<ZelDeviceListItem *> &rows);
    static QPoint stateIconPosition() { return s_stateIconPos; }

    QString name() const { return m_name; }
    QString secondValue() const { return m_secondValue; }
    QList<QPair<QString, QString>> serviceMarks() const { return m_marks; }
    // The cell of the first service mark, as the last paint laid it out.
    QRect marksCell() const { return m_marksCell; }
    // The right edge of the first label and the left edge of its value, as last painted.
    int firstLabelEnd() const { return m_firstLabelEnd; }
    int firstValueStart() const { return m_firstValueStart; }
    QString shownName() const { return m_shownName; }
    // The text of the mark whose cell holds the point; empty when none.
    QString markTextAt(const QPoint &pos) const;
    TOptionIconButton *imageButton() const { return m_imageButton; }
    TActivityWidget *stateIcon() const { return m_stateIcon; }
    TOption *option() const { return m_option; }

signals:
    void selected(ZelDeviceListItem *item = nullptr);

public slots:
    void handleDeviceSelected();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect m_marksCell;
    QString m_deviceImageName;
    TOption *m_option;
    TOptionIconButton *m_imageButton;
    TActivityWidget *m_stateIcon;
    QString m_name, m_firstLabel, m_firstValue, m_secondLabel, m_secondValue;
    QList<QPair<QString, QString>> m_marks;
    QFont m_headingFont;
    QFont m_textFont;
    QFont m_valueFont;
    QWidget *m_headingProbe;
    QWidget *m_labelProbe;
    QWidget *m_valueProbe;
    int m_firstLabelEnd = 0;
    int m_firstValueStart = 0;
    QString m_shownName;
    static QPoint s_stateIconPos;
};
