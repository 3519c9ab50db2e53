#pragma once

#include "result.h"

#include <QStringList>
#include <QTextStream>

#include <memory>
#include <optional>

class ModelContext;
class SettingsStore;

// What every command gets: the two output streams and the services, made on
// first use so that a command that needs no store never opens one.
class CommandContext final
{
public:
    CommandContext(QTextStream &out, QTextStream &err);
    ~CommandContext();
    CommandContext(const CommandContext &) = delete;
    CommandContext &operator=(const CommandContext &) = delete;

    QTextStream &out() { return m_out; }
    QTextStream &err() { return m_err; }

    SettingsStore &settings();
    // The store at its usual place; null when it cannot be opened, after
    // saying why on the error stream.
    ModelContext *store();
    // The ways a typed path can name a file or folder Quire recorded: absolute
    // and clean, and with links resolved when it exists.
    static QStringList pathForms(const QString &typed);
    // False after saying why on the error stream, as "quire COMMAND: ...".
    bool succeeded(const Status &status, const QString &command);

    // The arguments of a command that takes "--json" and paths: sets both, and
    // gives an exit code when the command should stop here (after --help, or
    // on an unknown option, with the usage printed).
    std::optional<int> readJsonAndPaths(const QStringList &arguments, const QString &command,
        const QString &usage, bool &json, QStringList &paths);

private:
    QTextStream &m_out;
    QTextStream &m_err;
    std::unique_ptr<SettingsStore> m_settings;
    QStringList m_warned;
    std::unique_ptr<ModelContext> m_store;
};
