#include "commandline.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quire"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quire"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = CommandLine::run(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return code;
}
