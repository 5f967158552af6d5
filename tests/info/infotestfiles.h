#pragma once
// Paths of the files the information model tests read.

#include <QDir>
#include <QString>

namespace infotest {

// A file in tests/fixtures.
inline QString fixture(const QString &name)
{
    return QDir::cleanPath(QStringLiteral(INFO_FIXTURES "/") + name);
}

// The model list the program ships.
inline QString shippedModelList()
{
    return QStringLiteral(ZEL_SOURCE_RES_DIR "/ModelListInfo.xml");
}

} // namespace infotest
