#include "tstylesheet.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

void clearGlobalCaches()
{
    TStyleSheet::instance()->clearCaches();
}

// Makes the global instance exist before main.
[[maybe_unused]] TStyleSheet *const g_globalStyleSheet = TStyleSheet::instance();

} // namespace

TStyleSheet::TStyleSheet(int mode, const QString &resourceRoot)
    : m_root(resourceRoot.isEmpty() ? defaultResourceRoot() : resourceRoot)
{
    setMode(mode);
    loadStyleSheet(m_root + QLatin1String("/day/zkgui_stylesheet.css"), m_daySheet, m_dayOpenFourSheet);
    loadStyleSheet(m_root + QLatin1String("/night/zkgui_stylesheet.css"), m_nightSheet, m_nightOpenFourSheet);
}

TStyleSheet *TStyleSheet::instance()
{
    static TStyleSheet *global = new TStyleSheet(0);
    return global;
}

QString TStyleSheet::defaultResourceRoot()
{
    // The application object may not exist yet: find the program's folder through /proc.
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    const QString beside = QFileInfo(exe.canonicalFilePath()).absolutePath() + QLatin1String("/res");
    if (QFileInfo(beside + QLatin1String("/day")).isDir())
        return beside;
    return QDir::current().absoluteFilePath(QStringLiteral("res"));
}

void TStyleSheet::setMode(int mode)
{
    m_mode = mode;
    m_resourceDir = m_root + (mode == 1 ? QLatin1String("/night/") : QLatin1String("/day/"));
    m_currentCache = (mode == 1) ? &m_nightCache : &m_dayCache;
    emit styleSheetChanged(getStyleSheet());
}

QString TStyleSheet::getStyleSheet() const
{
    if (m_mode == 1)
        return m_fontVariant ? m_nightOpenFourSheet : m_nightSheet;
    return m_fontVariant ? m_dayOpenFourSheet : m_daySheet;
}

void TStyleSheet::addStyleSheet(const QString &fileName)
{
    loadStyleSheet(m_root + QLatin1String("/day/") + fileName, m_daySheet, m_dayOpenFourSheet);
    loadStyleSheet(m_root + QLatin1String("/night/") + fileName, m_nightSheet, m_nightOpenFourSheet);
}

void TStyleSheet::loadStyleSheet(const QString &path, QString &normal, QString &variant)
{
    qDebug() << "TStyleSheet::loadStyleSheet:" << path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "TStyleSheet::loadStyleSheet: Missing style sheet " + path;
        return;
    }
    QTextStream in(&file);
    in.setCodec("UTF-8");
    const QString text = in.readAll();
    normal += text;
    QString changed = text;
    changed.replace(QLatin1String("\"Droid Sans\""), QLatin1String("\"Droid Sans Open Four\""));
    changed.replace(QLatin1String("\"Droid Sans Mono\""), QLatin1String("\"Droid Sans Mono Open Four\""));
    variant += changed;
}

QPixmap TStyleSheet::getPixmap(const QString &name, bool useFallback)
{
    const QPixmap cached = m_currentCache->value(name);
    if (!cached.isNull())
        return cached;
    if (name.isEmpty())
        return QPixmap();
    if (this == instance()) {
        static bool routineAdded = false;
        if (!routineAdded) {
            qAddPostRoutine(clearGlobalCaches);
            routineAdded = true;
        }
    }
    const bool optional = isOptionalImage(name);
    if (!optional)
        m_requested.insert(name);
    const QString path = m_resourceDir + name + QLatin1String(".png");
    QPixmap pixmap(path);
    if (pixmap.isNull()) {
        if (!optional)
            qWarning().noquote() << "TStyleSheet::getPixmap: Missing image " + path;
        if (useFallback)
            pixmap = QPixmap(m_resourceDir + QLatin1String("zkgui_no_image.png"));
    }
    m_currentCache->insert(name, pixmap);
    return pixmap;
}

bool TStyleSheet::isOptionalImage(const QString &name)
{
    return name.endsWith(QLatin1String("disabled")) || name == QLatin1String("zel_ant_singleAnt_inNone_outNone_normal");
}

QStringList TStyleSheet::requestedImages() const
{
    QStringList names(m_requested.cbegin(), m_requested.cend());
    names.sort();
    return names;
}

QString TStyleSheet::buttonStateSuffix(int state)
{
    switch (state) {
    case Normal: return QStringLiteral("_normal");
    case Pressed: return QStringLiteral("_pressed");
    case Checked: return QStringLiteral("_checked");
    case PressedChecked: return QStringLiteral("_pressed_checked");
    case Disabled: return QStringLiteral("_disabled");
    default: return QString();
    }
}

QPixmap TStyleSheet::getButtonPixmap(const QString &baseName, int state, bool useFallback)
{
    return getPixmap(baseName + buttonStateSuffix(state), useFallback);
}

void TStyleSheet::clearCaches()
{
    m_dayCache.clear();
    m_nightCache.clear();
}
