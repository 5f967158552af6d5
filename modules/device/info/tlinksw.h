#pragma once

#include "tlinksoftware.h"

// The software version a device object keeps for its running software. It
// is set from the discovery texts or from numbers; once set from numbers, the
// text form no longer changes it.
class TLinkSw : public TLinkSoftware
{
public:
    TLinkSw(quint8 major, quint8 minor, quint16 build, quint32 value);

    // Text form: version "major.minor" (a text without "." is the major
    // with minor 0), build a decimal number; unreadable numbers count 0.
    // Returns true when the version changed.
    bool setVersion(const QString &version, const QString &build);
    // Numeric form; from now on the text form changes nothing. Returns true
    // when the version changed.
    bool setVersion(quint8 major, quint8 minor, quint16 build);

    bool isNumeric() const { return m_numeric; }

private:
    bool m_numeric = false;
};
