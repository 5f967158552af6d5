#pragma once

#include <QWidget>

// One label / value row of a configuration field: a text row, or a mark or
// check row whose value is an image.
class TCfgFieldItem : public QWidget
{
    Q_OBJECT
public:
    enum Kind { TextRow = 0, MarkRow = 1, CheckRow = 2 };

    TCfgFieldItem(const QString &label, QWidget *parent = nullptr, int kind = TextRow, int labelWidth = -1);

    void setIconName(const QString &value);
    void setChecked(bool checked);
    QString value() const { return m_value; }
    QString label() const { return m_label; }
    int kind() const { return m_kind; }
    // Width of the label column in a row of the given width.
    int labelColumnWidth(int rowWidth) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_labelWidth;
    int m_kind;
    QString m_label;
    QString m_value;
};
