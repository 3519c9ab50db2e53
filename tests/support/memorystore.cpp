#include "memorystore.h"

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
