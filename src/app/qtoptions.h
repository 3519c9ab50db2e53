#pragma once

#include <QStringList>

// The standard options every Qt application takes (-style Fusion, -platform
// offscreen, -reverse, ...). QApplication reads them from the command line
// itself; Quire's own parsing only has to recognise them and step over them.
class QtOptions final
{
public:
    // How many arguments the Qt option at `at` takes up, its value included;
    // 0 when the argument is not one. "--style" counts as "-style", and
    // "-style=Fusion" is one argument.
    static qsizetype span(const QStringList &arguments, qsizetype at);
    // The arguments from the first one that is not a Qt option on.
    static QStringList withoutLeading(const QStringList &arguments);
};
