#include "tlinksoftware.h"

#include <QDebug>

TLinkSoftware::TLinkSoftware()
{
    qDebug("TLinkSoftware::TLinkSoftware: default SW obj created");
}

TLinkSoftware::TLinkSoftware(quint8 major, quint8 minor, quint16 build, quint32 value)
    : m_major(major)
    , m_minor(minor)
    , m_build(build)
    , m_value(value)
{
    qDebug().nospace() << "TLinkSoftware::TLinkSoftware: SW obj created with version: " << int(major) << "."
                       << int(minor);
}

QString TLinkSoftware::getVersionText() const
{
    return QString::asprintf("%02d.%02d", int(m_major), int(m_minor));
}

QString TLinkSoftware::getBuildText() const
{
    return QString::asprintf("%04d", int(m_build));
}

bool TLinkSoftware::isVersion(quint8 major, quint8 minor, quint16 build) const
{
    return m_major == major && m_minor == minor && m_build == build;
}

bool TLinkSoftware::operator==(const TLinkSoftware &other) const
{
    return compare(other) == 0;
}

bool TLinkSoftware::isNewerThan(const TLinkSoftware &other) const
{
    return compare(other) > 0;
}

bool TLinkSoftware::isNewerOrEqual(const TLinkSoftware &other) const
{
    return compare(other) >= 0;
}

int TLinkSoftware::compare(const TLinkSoftware &other) const
{
    if (m_major != other.m_major)
        return m_major < other.m_major ? -1 : 1;
    if (m_minor != other.m_minor)
        return m_minor < other.m_minor ? -1 : 1;
    if (m_build != other.m_build)
        return m_build < other.m_build ? -1 : 1;
    return 0;
}

void TLinkSoftware::copyTo(TLinkSoftware &target) const
{
    target.m_text1 = m_text1;
    target.m_text2 = m_text2;
    target.m_text3 = m_text3;
    target.m_major = m_major;
    target.m_minor = m_minor;
    target.m_build = m_build;
    target.m_value = m_value;
}

TLinkSoftware TLinkSoftware::clone() const
{
    TLinkSoftware copy(m_major, m_minor, m_build, m_value);
    copy.m_text1 = m_text1;
    copy.m_text2 = m_text2;
    copy.m_text3 = m_text3;
    return copy;
}
