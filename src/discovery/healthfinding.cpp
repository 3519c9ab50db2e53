#include "healthfinding.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QString HealthFinding::severityName(Severity severity)
{
    switch (severity) {
    case Severity::Error:
        return u"error"_s;
    case Severity::Warning:
        return u"warning"_s;
    case Severity::Note:
        return u"note"_s;
    }
    return {};
}

void HealthFinding::sort(QList<HealthFinding> &findings)
{
    std::stable_sort(
        findings.begin(), findings.end(), [](const HealthFinding &a, const HealthFinding &b) {
            if (a.severity != b.severity)
                return a.severity < b.severity;
            return a.id != b.id ? a.id < b.id : a.otherPath < b.otherPath;
        });
}
