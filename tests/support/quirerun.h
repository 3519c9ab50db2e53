#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

// One run of the quire command line: exit code and both streams.
struct QuireRun
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// The built quire binary, for tests that start it themselves (their own
// redirections, signals, several at once).
QString quireBinary();

// Runs the real binary as a child process, as a user or a script does; the
// environment is usually a FakeHome's. A run that does not finish in time has
// code -1.
QuireRun runQuire(const QStringList &arguments,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
    const QByteArray &input = {});

// Runs the command line in this process, for the cases a child cannot reach
// (stubbed services, coverage of the argument readers).
QuireRun runQuireInProcess(const QStringList &arguments);
