#include "harnessload.h"

using namespace Qt::StringLiterals;

QString HarnessLoad::rawValue(LoadStatus status)
{
    switch (status) {
    case LoadStatus::Loaded:
        return u"loaded"_s;
    case LoadStatus::Shadowed:
        return u"shadowed"_s;
    case LoadStatus::Truncated:
        return u"truncated"_s;
    case LoadStatus::Ignored:
        return u"ignored"_s;
    }
    return {};
}

QString HarnessLoad::words() const
{
    switch (status) {
    case LoadStatus::Shadowed:
        return u"Shadowed "_s + note;
    case LoadStatus::Truncated: {
        QString text = note;
        if (!text.isEmpty())
            text[0] = text[0].toUpper();
        return text;
    }
    case LoadStatus::Ignored:
        return u"Not read: "_s + note;
    case LoadStatus::Loaded:
        break;
    }
    switch (how) {
    case LoadMode::Always:
        return u"Loaded always"_s;
    case LoadMode::Glob:
        return u"Loaded "_s + note;
    case LoadMode::Description:
        return u"Loaded when its description fits the task"_s;
    case LoadMode::Manual:
        return u"Loaded when you ask for it"_s;
    case LoadMode::Command:
        return u"Loaded when run as a command"_s;
    case LoadMode::Fallback:
        return u"Loaded as a fallback"_s;
    }
    return {};
}
