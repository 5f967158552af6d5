#include "tlinksw.h"

#include <QDebug>

TLinkSw::TLinkSw(quint8 major, quint8 minor, quint16 build, quint32 value)
    : TLinkSoftware(major, minor, build, value)
{
    qDebug().nospace() << "TLinkSw::TLinkSw: SW obj created with version: " << int(major) << "." << int(minor);
    m_numeric = false;
}

bool TLinkSw::setVersion(const QString &version, const QString &build)
{
    if (m_numeric)
        return false;

    const int dot = version.indexOf(QLatin1Char('.'));
    bool ok = false;
    uint major = version.left(dot < 0 ? version.size() : dot).toUInt(&ok, 10);
    if (!ok) {
        qDebug("TLinkSw::setVersion:Version number (major) is wrong");
        major = 0;
    }
    uint minor = 0;
    if (dot >= 0) {
        minor = version.mid(dot + 1).toUInt(&ok, 10);
        if (!ok) {
            qDebug("TLinkSw::setVersion:Version number (minor) is wrong");
            minor = 0;
        }
    }
    uint buildNumber = build.toUInt(&ok, 10);
    if (!ok) {
        qDebug("TLinkSw::setVersion:Build number (minor) is wrong");
        buildNumber = 0;
    }

    const quint8 newMajor = quint8(major & 0xff);
    const quint8 newMinor = quint8(minor & 0xff);
    const quint16 newBuild = quint16(buildNumber & 0xffff);
    if (isVersion(newMajor, newMinor, newBuild))
        return false;
    qDebug().noquote() << "TLinkSw::setVersion: SW obj changed version/build: " + version + " " + build;
    m_major = newMajor;
    m_minor = newMinor;
    m_build = newBuild;
    return true;
}

bool TLinkSw::setVersion(quint8 major, quint8 minor, quint16 build)
{
    m_numeric = true;
    if (isVersion(major, minor, build))
        return false;
    qDebug().nospace() << "TLinkSw::setVersion: SW obj changed version/build: " << int(major) << "." << int(minor) << " "
                       << build;
    m_major = major;
    m_minor = minor;
    m_build = build;
    return true;
}
