#pragma once

#include <QMap>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>

// The framework's one source of style-sheet text and images, in a day and a
// night variant. The global instance is made during static initialisation, so
// the constructor reads only text; pixmaps are loaded on first lookup (which
// needs the application object).
class TStyleSheet : public QObject
{
    Q_OBJECT
public:
    enum ButtonState { Normal = 0, Pressed = 1, Checked = 2, PressedChecked = 3, Disabled = 4 };

    // resourceRoot: folder holding "day/" and "night/"; empty = the program's res folder.
    explicit TStyleSheet(int mode, const QString &resourceRoot = QString());

    // The global instance (day mode at start).
    static TStyleSheet *instance();
    // Folder holding the run-time data: "res" beside the program, else the working folder's res.
    static QString defaultResourceRoot();

    int getMode() const { return m_mode; }
    void setMode(int mode);
    QString getStyleSheet() const;
    void addStyleSheet(const QString &fileName);
    void loadStyleSheet(const QString &path, QString &normal, QString &variant);

    QPixmap getPixmap(const QString &name, bool useFallback = true);
    QPixmap getButtonPixmap(const QString &baseName, int state, bool useFallback = true);
    static QString buttonStateSuffix(int state);
    // Images a caller may ask for without shipping them (it then draws another):
    // a missing one is not reported.
    static bool isOptionalImage(const QString &name);
    // Every image name asked for so far, in either mode, except the optional
    // ones: each must exist by day and by night.
    QStringList requestedImages() const;

    // The prefix of every image path of the current mode ("<root>/day/" or "<root>/night/").
    QString resourceDirectory() const { return m_resourceDir; }

    // Drops every cached pixmap (the global instance does so when the application ends).
    void clearCaches();

signals:
    void styleSheetChanged(const QString &newStyleSheet = QString());

private:
    int m_mode = 0;
    QString m_root;
    QString m_resourceDir;
    bool m_fontVariant = false;
    QString m_daySheet;
    QString m_dayOpenFourSheet;
    QString m_nightSheet;
    QString m_nightOpenFourSheet;
    QMap<QString, QPixmap> m_dayCache;
    QMap<QString, QPixmap> m_nightCache;
    QMap<QString, QPixmap> *m_currentCache = &m_dayCache;
    QSet<QString> m_requested;
};
