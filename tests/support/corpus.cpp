#include "corpus.h"

#include <QFileInfo>
#include <QTest>

QString corpusPath()
{
    QString path = QFileInfo(QStringLiteral(QUIRE_CORPUS_DIR)).absoluteFilePath();
    if (QFileInfo(path + QStringLiteral("/home")).isDir())
        return path;
    const QByteArray message = "no corpus at " + path.toUtf8();
    // A skip under CI would hide every corpus check behind a green run.
    if (qEnvironmentVariable("CI") == QStringLiteral("true"))
        QTest::qFail(message.constData(), __FILE__, __LINE__);
    else
        QTest::qSkip(message.constData(), __FILE__, __LINE__);
    return {};
}
