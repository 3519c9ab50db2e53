#include "memorystore.h"

#include "sqlitedatabase.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

std::unique_ptr<ModelContext> openMemoryStore()
{
    return openStoreAt(u":memory:"_s);
}

std::unique_ptr<ModelContext> openStoreAt(const QString &path)
{
    auto opened = ModelContext::open(path);
    if (!opened) {
        QTest::qFail(qPrintable(opened.error().message), __FILE__, __LINE__);
        return nullptr;
    }
    return std::move(opened.value());
}

bool writeOlderStore(const QString &path, const QString &version)
{
    QFile dump(QStringLiteral(QUIRE_TEST_DATA_DIR) + u"/store-"_s + version + u".sql"_s);
    if (!dump.open(QIODevice::ReadOnly)) {
        QTest::qFail(qPrintable(dump.errorString()), __FILE__, __LINE__);
        return false;
    }
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWriteCreate);
    const Status written
        = db ? db.value().exec(QString::fromUtf8(dump.readAll())) : Status(db.error());
    if (!written)
        QTest::qFail(qPrintable(written.error().message), __FILE__, __LINE__);
    return bool(written);
}
