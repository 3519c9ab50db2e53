#include "quireapp.h"

#include "appcastupdater.h"
#include "appstate.h"
#include "contentview.h"
#include "modelcontext.h"
#include "settingsstore.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPalette>
#include <QStyle>

#include <cstdio>

using namespace Qt::StringLiterals;

QuireApp::QuireApp(std::unique_ptr<ModelContext> store, std::unique_ptr<SettingsStore> settings)
    : m_state(std::make_unique<AppState>()), m_settings(std::move(settings)), m_store(std::move(store))
{
    m_updater = std::make_unique<AppcastUpdater>(QApplication::applicationVersion(),
                                                 AppcastUpdater::configuredFeed(*m_settings));
}

QuireApp::~QuireApp()
{
    // Windows first: they hold pointers to everything below.
    for (const QPointer<ContentView> &window : std::as_const(m_windows))
        delete window.data();
}

int QuireApp::run()
{
    // The order matters: the shared state exists before the store, the store
    // before any window.
    auto settings = std::make_unique<SettingsStore>(SettingsStore::defaultPath());
    auto store = ModelContext::open(ModelContext::defaultPath());
    if (!store) {
        const QString text = QString::fromLatin1(fatalStorePrefix) + store.error().message;
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        const QString platform = QGuiApplication::platformName();
        if (platform != u"offscreen" && platform != u"minimal")
            QMessageBox::critical(nullptr, u"Quire"_s, text);
        return 1;
    }
    QuireApp app(std::move(store.value()), std::move(settings));
    app.openWindow();
    return QApplication::exec();
}

void QuireApp::applyColorScheme(const QString &scheme)
{
    if (scheme != u"dark" && scheme != u"light")
        return;
    QApplication::setStyle(u"Fusion"_s);
    if (scheme == u"light") {
        QApplication::setPalette(QApplication::style()->standardPalette());
        return;
    }
    QPalette dark;
    const QColor window(0x2b, 0x2b, 0x2e);
    const QColor base(0x1f, 0x1f, 0x22);
    const QColor text(0xe8, 0xe8, 0xea);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0xa0));
    dark.setColor(QPalette::Highlight, QColor(0x3a, 0x72, 0xd8));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(0x6a, 0xa6, 0xff));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x86));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x86));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x86));
    QApplication::setPalette(dark);
}

ContentView *QuireApp::openWindow()
{
    auto *window = new ContentView(m_state.get(), m_store.get(), m_settings.get(), m_updater.get());
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &ContentView::newWindowRequested, this, [this] { openWindow(); });
    m_windows.append(window);
    window->show();
    return window;
}
