#include "app/Settings.h"

#include "app/Autostart.h"
#include "toolkit/Error.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace {

// A fresh accessor on the current user's root for every read or write.
std::unique_ptr<QSettings> openStore() {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER"),
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(Settings::storePath(), QSettings::IniFormat);
#endif
}

QString settingName(const QString& key, const QString& name) {
    QString path = key;
    path.replace('\\', '/');
    return path + '/' + name;
}

bool isRunValue(const QString& key, const QString& name) {
    return key.compare(Settings::RunKey, Qt::CaseInsensitive) == 0 && name == Settings::RunValue;
}

void syncOrFail(QSettings& store, const QString& name) {
    store.sync();
    if (store.status() != QSettings::NoError)
        throw TarvikError(
            QStringLiteral("Не удалось записать параметр %1 в \"%2\"").arg(name, store.fileName()));
}

} // namespace

namespace Settings {

QString storePath() {
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + QStringLiteral("/Tarvik/registry.ini");
}

QString read(const QString& key, const QString& name) {
    if (isRunValue(key, name))
        return Autostart::read();
    return openStore()->value(settingName(key, name)).toString();
}

void write(const QString& key, const QString& name, const QString& value) {
    if (isRunValue(key, name))
        return Autostart::write(value);
    auto store = openStore();
    store->setValue(settingName(key, name), value);
    syncOrFail(*store, name);
}

void remove(const QString& key, const QString& name) {
    if (isRunValue(key, name))
        return Autostart::remove();
    auto store = openStore();
    store->remove(settingName(key, name));
    store->sync();
}

} // namespace Settings
