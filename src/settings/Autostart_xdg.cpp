#include "settings/Autostart.h"
#include "toolkit/Error.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace {

QString entryPath() {
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + QStringLiteral("/autostart/Tarvik.desktop");
}

// Exec takes its argument quoted, with the characters the desktop entry format reserves
// escaped, so a path with blanks or quotes starts the same program.
QString quoteExec(const QString& path) {
    QString escaped;
    for (QChar c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    escaped.replace('%', QStringLiteral("%%"));
    return '"' + escaped + '"';
}

QString unquoteExec(const QString& exec) {
    if (!exec.startsWith('"'))
        return exec;
    QString path;
    for (int i = 1; i < exec.size() && exec[i] != '"'; ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size())
            ++i;
        path += exec[i];
    }
    return path.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

} // namespace

namespace Autostart {

QString read() {
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QStringLiteral("Exec=")))
            return unquoteExec(line.mid(5));
    }
    return QString();
}

void write(const QString& executablePath) {
    const QString path = entryPath();
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        QTextStream out(&file);
        out << "[Desktop Entry]\nType=Application\nName=Tarvik\n"
            << "Comment=Tarvik. Планировщик задач.\n"
            << "Exec=" << quoteExec(executablePath) << "\nX-GNOME-Autostart-enabled=true\n";
    }
    if (!file.commit())
        throw TarvikError(
            QStringLiteral("Не удалось записать \"%1\": %2").arg(path, file.errorString()));
}

void remove() {
    QFile::remove(entryPath());
}

} // namespace Autostart
