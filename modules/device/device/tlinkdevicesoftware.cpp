// The device object's software: the running version and the list of images
// that could be installed on the device.

#include "tlinkdevice.h"

#include <QDebug>

#include <algorithm>
#include <new>

void TLinkDevice::setSoftwareVersion(const QString &version, const QString &build)
{
    if (m_currentSoftware.setVersion(version, build))
        emit updatedSoftwareVersion();
}

bool TLinkDevice::getCurrentSoftware(TLinkSoftware &out) const
{
    if (m_currentSoftware.getMajor() == 0 && m_currentSoftware.getMinor() == 0 && m_currentSoftware.getBuild() == 0)
        return false;
    m_currentSoftware.copyTo(out);
    return true;
}

TLinkSw *TLinkDevice::getNewestSoftwareEntry() const
{
    if (m_softwareList.isEmpty()) {
        qDebug().noquote() << "TLinkDevice::getNewestSoftware: SW list empty";
        return nullptr;
    }
    TLinkSw *newest = m_softwareList.first();
    for (TLinkSw *entry : m_softwareList)
        if (isNewerSoftware(*entry, *newest))
            newest = entry;
    return newest;
}

bool TLinkDevice::getNewestSoftware(TLinkSoftware &out) const
{
    const TLinkSw *newest = getNewestSoftwareEntry();
    if (!newest)
        return false;
    newest->copyTo(out);
    return true;
}

bool TLinkDevice::isSoftwareUpToDate() const
{
    const TLinkSw *newest = getNewestSoftwareEntry();
    return !newest || m_currentSoftware.isNewerOrEqual(*newest);
}

bool TLinkDevice::getSoftwareList(QList<TLinkSoftware> &out) const
{
    if (m_softwareList.isEmpty())
        return false;
    for (const TLinkSw *entry : m_softwareList)
        out.append(entry->clone());
    return true;
}

void TLinkDevice::updateSoftwareList(const QList<TLinkUploadManagerIf::firmware_list_entry_t> &list)
{
    for (int i = 0; i < m_softwareList.size();) {
        TLinkSw *entry = m_softwareList.at(i);
        const bool listed = std::any_of(list.cbegin(), list.cend(), [entry](const auto &image) {
            return entry->isVersion(image.major, image.minor, image.build);
        });
        if (listed) {
            ++i;
            continue;
        }
        m_softwareList.removeAt(i);
        postEvent(273, QStringLiteral(" Ver:%1-%2 %3").arg(entry->getVersionText(), entry->getBuildText(),
                                                            entry->getText2()), 0);
        delete entry;
    }
    for (const auto &image : list)
        addSoftware(image.major, image.minor, image.build, image.date, image.build_id, image.fileName,
                    image.absolutePath);
}

bool TLinkDevice::addSoftware(quint8 major, quint8 minor, quint16 build, quint32 date, const QString &buildId,
                              const QString &fileName, const QString &absolutePath)
{
    const TLinkSoftware version(major, minor, build, date);
    qDebug().noquote() << "TLinkDevice::addSoftware: new sw version: " << version.getVersionText()
                       << version.getBuildText();
    for (const TLinkSw *entry : qAsConst(m_softwareList))
        if (entry->isVersion(major, minor, build))
            return true;

    auto *entry = new (std::nothrow) TLinkSw(major, minor, build, date);
    if (!entry) {
        qDebug().noquote() << "TLinkDevice::addSoftware: new object failed";
        return false;
    }
    entry->setText1(fileName);
    entry->setText2(absolutePath);
    entry->setText3(buildId);
    m_softwareList.append(entry);
    emit updated(this);
    postEvent(272, QStringLiteral(" Ver:%1.%2-%3 %4").arg(major).arg(minor).arg(build).arg(absolutePath), 0);
    qDebug().noquote() << "TLinkDevice::addSoftware: add sw to: " << getModel() << " version: "
                       << entry->getVersionText() << entry->getBuildText();
    return true;
}
