#pragma once

#include <QString>
#include <QtGlobal>

// A software version value: major (8 bits), minor (8 bits), build (16 bits),
// written "%02d.%02d" and "%04d", plus three texts and a 32-bit value that
// travel with it. Versions compare on (major, minor, build) alone.
class TLinkSoftware
{
public:
    TLinkSoftware();
    TLinkSoftware(quint8 major, quint8 minor, quint16 build, quint32 value);

    QString getVersionText() const;
    QString getBuildText() const;
    QString getText1() const { return m_text1; }
    QString getText2() const { return m_text2; }
    QString getText3() const { return m_text3; }
    void setText1(const QString &text) { m_text1 = text; }
    void setText2(const QString &text) { m_text2 = text; }
    void setText3(const QString &text) { m_text3 = text; }
    quint8 getMajor() const { return m_major; }
    quint8 getMinor() const { return m_minor; }
    quint16 getBuild() const { return m_build; }
    quint32 getValue() const { return m_value; }

    bool isVersion(quint8 major, quint8 minor, quint16 build) const;
    // Equal when major, minor and build are; texts and value don't count.
    bool operator==(const TLinkSoftware &other) const;
    bool operator!=(const TLinkSoftware &other) const { return !(*this == other); }
    bool isNewerThan(const TLinkSoftware &other) const;
    bool isNewerOrEqual(const TLinkSoftware &other) const;
    void copyTo(TLinkSoftware &target) const;
    TLinkSoftware clone() const;

protected:
    int compare(const TLinkSoftware &other) const;

    QString m_text1;
    QString m_text2;
    QString m_text3;
    quint8 m_major = 0;
    quint8 m_minor = 0;
    quint16 m_build = 0;
    quint32 m_value = 0;
};
