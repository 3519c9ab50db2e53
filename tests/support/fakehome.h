#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <utility>
#include <vector>

struct QuireRun;

// A temporary folder that stands in for the user's: HOME is <root>/home,
// XDG_CONFIG_HOME <root>/config, XDG_DATA_HOME <root>/data, and QUIRE_STORE is
// the store file under <root> (or ":memory:"). The variables it changes are put
// back when it goes, so one test's home never leaks into the next.
class FakeHome final
{
public:
    enum class Store { File, Memory };

    explicit FakeHome(Store store = Store::File);
    ~FakeHome();
    FakeHome(const FakeHome &) = delete;
    FakeHome &operator=(const FakeHome &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    // <root>/home/<relative>; the home folder itself for an empty relative path.
    QString path(const QString &relative = {}) const;
    QString storePath() const { return m_storePath; }
    QString settingsPath() const;

    // Writes bytes under the home folder, making the folders on the way;
    // returns the absolute path, empty (and a failed test) when it cannot.
    QString write(const QString &relative, const QByteArray &bytes) const;
    // Writes the settings file as a hand edit or another process would.
    bool writeSettings(const QByteArray &text) const;
    // A file's bytes; "<missing>" when it cannot be read.
    static QByteArray read(const QString &absolutePath);
    // Sets a file's modification time back, so a rescan treats it as settled
    // rather than as written a moment ago.
    static bool age(const QString &absolutePath, int seconds = 3600);

    // The environment a child `quire` process needs to see this home.
    QProcessEnvironment environment() const;
    // Runs the quire binary as a child process in this home.
    QuireRun quire(const QStringList &arguments) const;

private:
    void set(const char *name, const QByteArray &value);

    QTemporaryDir m_dir;
    QString m_storePath;
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};
