#include "fakehome.h"
#include "textfilereader.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Error::Code)

class TextFileReaderTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void decodes_data();
    void decodes();
    void refuses_data();
    void refuses();
    void readsUpToTheLimit();
    void refusesUnreadableFile();

private: // NOLINT(readability-redundant-access-specifiers): QTest would run slots as tests
    QString write(const QString &name, const QByteArray &bytes) const
    {
        return m_home->write(name, bytes);
    }

    std::unique_ptr<FakeHome> m_home;
};

void TextFileReaderTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
}

void TextFileReaderTest::decodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("multi-byte characters")
        << "caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80"_ba << u"café 日 😀"_s;
    QTest::newRow("line ends kept") << "a\r\nb\n"_ba << u"a\r\nb\n"_s;
    QTest::newRow("NUL is valid UTF-8") << QByteArray("a\0b", 3) << u"a\0b"_s;
    // Editors that write a byte-order mark must not hide the frontmatter behind it.
    QTest::newRow("one leading byte-order mark dropped")
        << "\xef\xbb\xbf\xef\xbb\xbfx"_ba << u"\uFEFFx"_s;
}

void TextFileReaderTest::decodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const Result<QString> read = TextFileReader::readUtf8(write(u"skill.md"_s, bytes));
    QVERIFY2(read.has_value(), read ? "" : qPrintable(read.error().message));
    QCOMPARE(read.value(), text);
}

void TextFileReaderTest::refuses_data()
{
    QTest::addColumn<QString>("special"); // what stands at the path instead of a plain file
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Error::Code>("code");
    QTest::addColumn<QString>("reason");

    const QString invalid = u"it is not valid UTF-8"_s;
    const QString notRegular = u"it is not a regular file"_s;
    QTest::newRow("lone continuation byte") << QString() << "\x80"_ba << Error::BadInput << invalid;
    QTest::newRow("sequence cut at the end")
        << QString() << "ab\xe2\x82"_ba << Error::BadInput << invalid;
    QTest::newRow("encoded surrogate")
        << QString() << "\xed\xa0\x80"_ba << Error::BadInput << invalid;
    QTest::newRow("overlong encoding") << QString() << "\xc0\xaf"_ba << Error::BadInput << invalid;
    QTest::newRow("missing") << u"missing"_s << QByteArray() << Error::NotFound
                             << u"it does not exist"_s;
    QTest::newRow("dangling link")
        << u"dangling"_s << QByteArray() << Error::NotFound << u"it does not exist"_s;
    QTest::newRow("folder") << u"folder"_s << QByteArray() << Error::BadInput
                            << u"it is a folder, not a file"_s;
    QTest::newRow("FIFO") << u"fifo"_s << QByteArray() << Error::BadInput << notRegular;
    QTest::newRow("link to a FIFO")
        << u"fifo link"_s << QByteArray() << Error::BadInput << notRegular;
    QTest::newRow("device") << u"device"_s << QByteArray() << Error::BadInput << notRegular;
    QTest::newRow("over 16 MiB") << u"large"_s << QByteArray() << Error::BadInput
                                 << u"it is larger than 16 MiB"_s;
}

void TextFileReaderTest::refuses()
{
    QFETCH(QString, special);
    QFETCH(QByteArray, bytes);
    QFETCH(Error::Code, code);
    QFETCH(QString, reason);

    QString path = m_home->path(u"x.md"_s);
    if (special.isEmpty()) {
        write(u"x.md"_s, bytes);
    } else if (special == u"dangling") {
        QVERIFY(QFile::link(m_home->path(u"gone"_s), path));
    } else if (special == u"folder") {
        QVERIFY(QDir(m_home->path()).mkdir(u"x.md"_s));
    } else if (special.startsWith(u"fifo")) {
        // Opening a FIFO for reading waits for a writer: the test hangs if the reader blocks.
        const QString fifo = m_home->path(u"fifo.md"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        if (special == u"fifo")
            path = fifo;
        else
            QVERIFY(QFile::link(fifo, path));
    } else if (special == u"device") {
        path = u"/dev/zero"_s;
    } else if (special == u"large") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(TextFileReader::maxBytes + 1));
    }

    const Result<QString> read = TextFileReader::readUtf8(path);
    QVERIFY(!read.has_value());
    QCOMPARE(read.error().code, code);
    QCOMPARE(read.error().message, u"Cannot read "_s + path + u": "_s + reason + u'.');
}

void TextFileReaderTest::readsUpToTheLimit()
{
    const QString path = m_home->path(u"x.md"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(TextFileReader::maxBytes));
    file.close();
    const Result<QString> read = TextFileReader::readUtf8(path);
    QVERIFY(read.has_value());
    QCOMPARE(read.value().size(), TextFileReader::maxBytes);
}

void TextFileReaderTest::refusesUnreadableFile()
{
    if (::geteuid() == 0)
        QSKIP("Permissions do not stop root.");
    const QString path = write(u"x.md"_s, "text"_ba);
    QVERIFY(QFile::setPermissions(path, {}));
    const Result<QString> read = TextFileReader::readUtf8(path);
    QVERIFY(!read.has_value());
    QCOMPARE(read.error().code, Error::Io);
    QVERIFY(read.error().message.startsWith(u"Cannot read "_s + path));
}

QTEST_GUILESS_MAIN(TextFileReaderTest)
#include "tst_textfilereader.moc"
