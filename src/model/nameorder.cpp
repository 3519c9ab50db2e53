#include "nameorder.h"

#include "codepointorder.h"

#include <QCollator>

int NameOrder::compare(QStringView a, QStringView b)
{
    // A collator is not safe to share between threads, and making one per
    // comparison would cost more than the sort.
    thread_local const QCollator collator = [] {
        QCollator made;
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    const int byLocale = collator.compare(a, b);
    if (byLocale != 0)
        return byLocale < 0 ? -1 : 1;
    return CodePointOrder::compare(a, b);
}
