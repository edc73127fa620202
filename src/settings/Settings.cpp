#include "settings/Settings.h"

#include "settings/Autostart.h"
#include "toolkit/Clock.h"
#include "toolkit/Error.h"
#include "toolkit/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

#include <memory>

namespace {

// How the store is used this run: a file that could not be mended is left alone.
enum class Use { Normal, ReadOnly, Ignored };
struct LeftAlone {
    QString path;
    Use use = Use::Normal;
};
LeftAlone leftAlone;

Use storeUse() {
    return leftAlone.path == Settings::storePath() ? leftAlone.use : Use::Normal;
}

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

#ifndef Q_OS_WIN
enum class Damage { None, Unreadable, Unwritable };

// The few values the program keeps take far less; a larger file is not one it wrote.
constexpr qint64 largestStore = 1 << 20;

bool isUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    // The decoder notes a broken sequence while it converts.
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

bool isIni(const QString& path) {
    QSettings store(path, QSettings::IniFormat);
    store.allKeys();
    return store.status() == QSettings::NoError;
}

bool readableText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    // Qt's INI reader takes NUL bytes and broken UTF-8 without a word, as other values.
    return !bytes.contains('\0') && isUtf8(bytes);
}

Damage damageOf(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Damage::None;
    // A folder, a link to nothing, a device: nothing the store can use.
    if (!info.isFile() || info.size() > largestStore || !readableText(path) || !isIni(path))
        return Damage::Unreadable;
    // The store is written through a new file renamed over the old one.
    if (!FileAccess::writable(path) || !FileAccess::writable(info.absolutePath()))
        return Damage::Unwritable;
    return Damage::None;
}

QString asideName(const QString& path, Damage damage) {
    const QString base = path +
                         (damage == Damage::Unreadable ? QStringLiteral(".unreadable-")
                                                       : QStringLiteral(".unwritable-")) +
                         Clock::now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int copy = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++copy)
        name = base + '-' + QString::number(copy);
    return name;
}

// The moved file keeps its bytes; the fresh one is the user's to write.
bool replaceWithCopy(const QString& aside, const QString& path) {
    return QFile::copy(aside, path) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}
#endif

} // namespace

namespace Settings {

QString recoverStore() {
#ifdef Q_OS_WIN
    return QString();
#else
    const QString path = storePath();
    leftAlone = {path, Use::Normal};
    const Damage damage = damageOf(path);
    if (damage == Damage::None)
        return QString();
    const QString aside = asideName(path, damage);
    const bool moved = QDir().rename(path, aside);
    if (damage == Damage::Unreadable && moved)
        return QStringLiteral(
                   "Файл настроек \"%1\" повреждён и не может быть прочитан. Он сохранён "
                   "под именем \"%2\", а настройки записаны заново.")
            .arg(shown(path), QFileInfo(aside).fileName());
    if (damage == Damage::Unreadable) {
        leftAlone.use = Use::Ignored;
        return QStringLiteral("Файл настроек \"%1\" повреждён, и его не удаётся переименовать. "
                              "Программа работает с настройками по умолчанию, и изменения "
                              "настроек в этот раз не сохранятся.")
            .arg(shown(path));
    }
    if (moved && replaceWithCopy(aside, path))
        return QStringLiteral("В файл настроек \"%1\" нельзя было записать. Он сохранён под "
                              "именем \"%2\", а его настройки перенесены в новый файл.")
            .arg(shown(path), QFileInfo(aside).fileName());
    if (moved) // the copy failed: the file goes back where it was
        QDir().rename(aside, path);
    leftAlone.use = Use::ReadOnly;
    return QStringLiteral("В файл настроек \"%1\" нельзя записать, и его не удаётся заменить. "
                          "Настройки прочитаны из него, но изменения в этот раз не сохранятся.")
        .arg(shown(path));
#endif
}

QString storePath() {
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + QStringLiteral("/Tarvik/registry.ini");
}

QString read(const QString& key, const QString& name) {
    if (isRunValue(key, name))
        return Autostart::read();
    if (storeUse() == Use::Ignored)
        return QString();
    return openStore()->value(settingName(key, name)).toString();
}

void write(const QString& key, const QString& name, const QString& value) {
    if (isRunValue(key, name))
        return Autostart::write(value);
    if (storeUse() != Use::Normal)
        return;
    auto store = openStore();
    store->setValue(settingName(key, name), value);
    syncOrFail(*store, name);
}

void remove(const QString& key, const QString& name) {
    if (isRunValue(key, name))
        return Autostart::remove();
    if (storeUse() != Use::Normal)
        return;
    auto store = openStore();
    store->remove(settingName(key, name));
    store->sync();
}

} // namespace Settings
