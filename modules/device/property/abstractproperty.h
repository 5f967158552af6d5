#pragma once
// AbstractProperty: one typed value of a device, found by its MIB object
// name. A write never reaches the device from here: writeValue() emits
// setValueRequest(), and the stored value changes when the device reports it.

#include <QObject>
#include <QString>

class AbstractProperty : public QObject
{
    Q_OBJECT
public:
    enum Type { IntType = 0, StringType = 1, EnumType = 2, UntypedType = 3 };

    AbstractProperty(const QString &name, const QString &displayName, bool writable, int flagR, int flagW,
                     const QString &groupName, const QString &description, QObject *parent = nullptr);

    virtual void setValue(const QString &value);
    bool writeValue(const QString &value);

    QString getName() const { return m_name; }
    QString getDisplayName() const { return m_displayName; }
    int getType() const { return m_type; }
    bool isValid() const { return m_valid; }
    void setValid(bool valid) { m_valid = valid; }
    bool isWritable() const { return m_writable; }
    int getFlagR() const { return m_flagR; }
    int getFlagW() const { return m_flagW; }
    QString getValue() const { return m_value; }
    QString getGroupName() const { return m_groupName; }
    QString getDescription() const { return m_description; }

signals:
    void setValueRequest(const QString &value);

protected:
    QString m_name;
    QString m_displayName;
    int m_type = UntypedType;
    bool m_valid = false;
    bool m_writable = false;
    int m_flagR = 0;
    int m_flagW = 0;
    QString m_value;
    QString m_groupName;
    QString m_description;
};
