#include "apptest_app3pdf.h"

#include "zelsavefiledialog.h"

#include <QList>
#include <QPair>
#include <QProcess>

namespace app3test {

QString pdfText(const QString &fileName)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), fileName, QStringLiteral("-")});
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return QString();
    QString text = QString::fromUtf8(process.readAllStandardOutput());
    // The PDF's font sets ligatures; compare with the plain letters.
    const QList<QPair<QChar, QString>> ligatures{{QChar(0xfb00), QStringLiteral("ff")},
                                                 {QChar(0xfb01), QStringLiteral("fi")},
                                                 {QChar(0xfb02), QStringLiteral("fl")},
                                                 {QChar(0xfb03), QStringLiteral("ffi")},
                                                 {QChar(0xfb04), QStringLiteral("ffl")}};
    for (const auto &ligature : ligatures)
        text.replace(ligature.first, ligature.second);
    return text;
}

void answerSaveDialog(const QString &answer, QStringList *offered)
{
    ZelSaveFileDialog::setChooser([answer, offered](QWidget *, const QString &, const QString &path,
                                                    const QString &) {
        if (offered)
            offered->append(path);
        return answer;
    });
}

} // namespace app3test
