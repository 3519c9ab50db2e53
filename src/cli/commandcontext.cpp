#include "commandcontext.h"

#include "exitcode.h"
#include "modelcontext.h"
#include "settingsstore.h"
#include "terminaltext.h"

#include <QDir>
#include <QFileInfo>

CommandContext::CommandContext(QTextStream &out, QTextStream &err) : m_out(out), m_err(err)
{
}

CommandContext::~CommandContext() = default;

SettingsStore &CommandContext::settings()
{
    if (!m_settings) {
        m_settings = std::make_unique<SettingsStore>(SettingsStore::defaultPath());
        // A skipped entry or an unreadable file, said once however often the
        // list is read (the scanner reads it on every scan).
        QObject::connect(m_settings.get(), &SettingsStore::warning, m_settings.get(),
            [this](const QString &message) {
                if (m_warned.contains(message))
                    return;
                m_warned.append(message);
                m_err << "quire: warning: " << TerminalText::line(message) << '\n';
            });
    }
    return *m_settings;
}

ModelContext *CommandContext::store()
{
    if (!m_store) {
        auto opened = ModelContext::open(ModelContext::defaultPath());
        if (!opened) {
            m_err << "quire: " << TerminalText::line(opened.error().message) << '\n';
            return nullptr;
        }
        m_store = std::move(opened.value());
    }
    return m_store.get();
}

QStringList CommandContext::pathForms(const QString &typed)
{
    QStringList forms { QDir::cleanPath(QDir::current().absoluteFilePath(typed)) };
    const QString canonical = QFileInfo(typed).canonicalFilePath();
    if (!canonical.isEmpty() && !forms.contains(canonical))
        forms.append(canonical);
    return forms;
}

bool CommandContext::succeeded(const Status &status, const QString &command)
{
    if (!status)
        m_err << "quire " << command << ": " << TerminalText::line(status.error().message) << '\n';
    return bool(status);
}

std::optional<int> CommandContext::readJsonAndPaths(const QStringList &arguments,
    const QString &command, const QString &usage, bool &json, QStringList &paths)
{
    for (const QString &argument : arguments) {
        if (argument == u"--json") {
            json = true;
        } else if (argument == u"--help" || argument == u"-h") {
            m_out << usage;
            return ExitOk;
        } else if (argument.startsWith(u"--")) {
            m_err << "quire " << command << ": unknown option '" << argument << "'\n\n" << usage;
            return ExitUsage;
        } else {
            paths.append(argument);
        }
    }
    return std::nullopt;
}
