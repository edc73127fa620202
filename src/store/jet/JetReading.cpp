#include "store/jet/JetReading.h"

#include "store/PlansFile.h"
#include "store/jet/JetReadingPlatform.h"
#include "toolkit/Error.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFileInfo>
#include <QProcess>

#include <unordered_set>

namespace {

// The parent names the file to read here; nothing else starts the reading mode.
const char* const Asked = "TARVIK_JET_READER";
const quint32 Begin = 0x544a5231; // "TJR1"
const quint32 End = 0x454e4431;   // "END1"
enum Answer : quint8 { Rows, Refused };

// What the helper may take: a margin for the program itself, and the rows of the file,
// which in memory take a few times their size on the disk. A whole file reads in well under
// a second per megabyte even on a slow machine.
JetReadingPlatform::Limits limitsFor(const QString& path) {
    constexpr qint64 MemoryMargin = 512ll << 20;
    constexpr qint64 MemoryPerFileByte = 32;
    constexpr int TimeMargin = 5000;
    constexpr qint64 FileBytesPerMs = 1000;
    const qint64 size = QFileInfo(path).size();
    return {MemoryMargin + MemoryPerFileByte * size, int(TimeMargin + size / FileBytesPerMs)};
}

QDataStream& operator<<(QDataStream& out, const JetTask& task) {
    return out << task.id << task.reminder << task.date << task.plan << task.comments
               << task.completed << qint32(task.columns);
}

QDataStream& operator>>(QDataStream& in, JetTask& task) {
    qint32 columns = 0;
    in >> task.id >> task.reminder >> task.date >> task.plan >> task.comments >> task.completed >>
        columns;
    task.columns = columns;
    return in;
}

QByteArray answerOf(const QString& path) {
    QByteArray answer;
    QDataStream out(&answer, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << Begin;
    try {
        const JetTable table = JetReader::readPlans(path);
        out << quint8(Rows) << quint64(table.promisedRows) << qint32(table.columns)
            << quint64(table.tasks.size());
        for (const JetTask& task : table.tasks)
            out << task;
    } catch (const TarvikError& refusal) {
        out << quint8(Refused) << refusal.text();
    }
    out << End;
    return answer;
}

[[noreturn]] void damaged(const QString& path, const QString& detail) {
    PlansFile::damaged(path, QStringLiteral("Файл — база данных Access (Jet): %1.").arg(detail));
}

// The helper's answer when it ended well: the output, once it has ended.
QByteArray runHelper(const QString& path) {
    const JetReadingPlatform::Limits limits = limitsFor(path);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(Asked), path);
    QProcess helper;
    helper.setProcessEnvironment(environment);
    helper.setStandardInputFile(QProcess::nullDevice());
    helper.setStandardErrorFile(QProcess::nullDevice()); // libmdb's warnings
    const JetReadingPlatform::Confinement confinement(helper, limits);
    helper.start(QCoreApplication::applicationFilePath(), QStringList());
    if (!helper.waitForFinished(limits.milliseconds)) {
        if (helper.error() == QProcess::FailedToStart)
            throw TarvikError(QStringLiteral("Задачи из базы данных Access (Jet) \"%1\" перенести "
                                             "не удалось: программа не смогла запустить своё "
                                             "чтение файла (%2).\nФайл оставлен как есть.")
                                  .arg(PlansFile::shown(path), helper.errorString()));
        helper.kill();
        helper.waitForFinished(-1);
        damaged(path,
                QStringLiteral("чтение не закончилось за %1 с").arg(limits.milliseconds / 1000));
    }
    if (helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0)
        damaged(path, QStringLiteral("чтение его страниц оборвалось аварийно"));
    return helper.readAllStandardOutput();
}

// The rows must be what the table's definition says: so many, each with its columns, each
// number once, no text padded with the zeros libmdb reads where a page is missing.
void checkAgainstPromise(const QString& path, const JetTable& table) {
    if (table.tasks.size() != table.promisedRows)
        damaged(path, QStringLiteral("прочитано строк таблицы Plans: %1 из %2")
                          .arg(table.tasks.size())
                          .arg(table.promisedRows));
    std::unordered_set<qint32> numbers;
    for (const JetTask& task : table.tasks) {
        if (task.columns != table.columns)
            damaged(path, QStringLiteral("в строке задачи %1 столбцов %2 вместо %3")
                              .arg(task.id)
                              .arg(task.columns)
                              .arg(table.columns));
        if (!numbers.insert(task.id).second)
            damaged(path, QStringLiteral("номер задачи %1 встречается дважды").arg(task.id));
        if (task.plan.contains(QChar(0)) || task.comments.contains(QChar(0)))
            damaged(path, QStringLiteral("текст задачи %1 содержит нулевые символы").arg(task.id));
    }
}

JetTable tableOf(const QString& path, const QByteArray& answer) {
    QDataStream in(answer);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 begin = 0;
    quint8 kind = 0;
    in >> begin >> kind;
    JetTable table;
    QString refusal;
    if (kind == Refused) {
        in >> refusal;
    } else {
        quint64 count = 0;
        qint32 columns = 0;
        in >> table.promisedRows >> columns >> count;
        table.columns = columns;
        // No count sizes anything beyond what the answer can hold.
        table.tasks.reserve(size_t(std::min<quint64>(count, quint64(answer.size()))));
        for (quint64 row = 0; row < count && in.status() == QDataStream::Ok; ++row) {
            table.tasks.emplace_back();
            in >> table.tasks.back();
        }
    }
    quint32 end = 0;
    in >> end;
    if (in.status() != QDataStream::Ok || begin != Begin || end != End || !in.atEnd() ||
        kind > Refused)
        damaged(path, QStringLiteral("программа чтения вернула не то, что прочитала"));
    if (kind == Refused)
        throw TarvikError(refusal);
    return table;
}

} // namespace

namespace JetReading {

std::vector<JetTask> readPlans(const QString& path) {
    JetTable table = tableOf(path, runHelper(path));
    checkAgainstPromise(path, table);
    return std::move(table.tasks);
}

int serveIfAsked() {
    const QString path = qEnvironmentVariable(Asked);
    if (path.isEmpty())
        return -1;
    JetReadingPlatform::confineSelf(limitsFor(path));
    return JetReadingPlatform::writeOut(answerOf(path)) ? 0 : 1;
}

} // namespace JetReading
