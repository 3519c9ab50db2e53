#include "qtoptions.h"

using namespace Qt::StringLiterals;

namespace {

// QGuiApplication's and QApplication's options, and the X11 ones of the xcb
// platform, by whether a value follows.
const QStringList withValue = { u"platform"_s, u"platformpluginpath"_s, u"platformtheme"_s,
    u"plugin"_s, u"qwindowgeometry"_s, u"qwindowicon"_s, u"qwindowtitle"_s, u"session"_s,
    u"style"_s, u"stylesheet"_s, u"display"_s, u"geometry"_s, u"title"_s, u"name"_s, u"visual"_s,
    u"ncols"_s, u"cmap"_s, u"im"_s, u"inputstyle"_s };
const QStringList flags
    = { u"reverse"_s, u"widgetcount"_s, u"nograb"_s, u"dograb"_s, u"sync"_s, u"testability"_s };

} // namespace

qsizetype QtOptions::span(const QStringList &arguments, qsizetype at)
{
    if (at < 0 || at >= arguments.size())
        return 0;
    QStringView option(arguments.at(at));
    if (option.startsWith(u"--"))
        option = option.mid(2);
    else if (option.startsWith(u'-'))
        option = option.mid(1);
    else
        return 0;
    // -qmljsdebugger only ever comes with "=port:..." attached.
    if (option.startsWith(u"qmljsdebugger="))
        return 1;
    if (const qsizetype equals = option.indexOf(u'='); equals > 0)
        return withValue.contains(option.left(equals)) ? 1 : 0;
    if (flags.contains(option))
        return 1;
    if (withValue.contains(option))
        return at + 1 < arguments.size() ? 2 : 1;
    return 0;
}

QStringList QtOptions::withoutLeading(const QStringList &arguments)
{
    qsizetype first = 0;
    while (const qsizetype taken = span(arguments, first))
        first += taken;
    return arguments.mid(first);
}
