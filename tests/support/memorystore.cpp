#include "memorystore.h"

#include <QTest>

using namespace Qt::StringLiterals;

std::unique_ptr<ModelContext> openMemoryStore()
{
    auto opened = ModelContext::open(u":memory:"_s);
    if (!opened) {
        QTest::qFail(qPrintable(opened.error().message), __FILE__, __LINE__);
        return nullptr;
    }
    return std::move(opened.value());
}
