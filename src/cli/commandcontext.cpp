#include "commandcontext.h"

#include "modelcontext.h"
#include "settingsstore.h"

CommandContext::CommandContext(QTextStream &out, QTextStream &err) : m_out(out), m_err(err) { }

CommandContext::~CommandContext() = default;

SettingsStore &CommandContext::settings()
{
    if (!m_settings)
        m_settings = std::make_unique<SettingsStore>(SettingsStore::defaultPath());
    return *m_settings;
}

Result<ModelContext *> CommandContext::store()
{
    if (!m_store) {
        auto opened = ModelContext::open(ModelContext::defaultPath());
        if (!opened)
            return opened.error();
        m_store = std::move(opened.value());
    }
    return m_store.get();
}
