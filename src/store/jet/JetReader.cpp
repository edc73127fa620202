#include "store/jet/JetReader.h"

#include "store/PlansFile.h"
#include "store/jet/CodePage.h"
#include "store/jet/JetReadingPlatform.h"
#include "toolkit/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <mdbtools.h>
#include <memory>
#include <unordered_set>

namespace {

// A row's offset on its page carries flags in its top bits.
constexpr int offsetMask = 0x1fff;
// A memo's 12-byte head: its length with two flags, then where its bytes lie.
constexpr int memoHead = 12;
constexpr quint32 memoInline = 0x80000000;
constexpr quint32 memoOnePage = 0x40000000;
constexpr quint32 memoLength = 0x3fffffff;
// The least a row takes on its page: its offset entry, the column count, a null mask byte.
constexpr int MinimalRow = 5;

enum Field { Reminder, Date, Plan, ID, Comments, Completed, FieldCount };

struct Wanted {
    const char* name;
    int type;
    const char* kind;
};
const std::array<Wanted, FieldCount> wanted = {{
    {"Reminder", MDB_DATETIME, "дата/время"},
    {"Date", MDB_DATETIME, "дата/время"},
    {"Plan", MDB_TEXT, "текстовый"},
    {"ID", MDB_LONGINT, "длинное целое"},
    {"Comments", MDB_MEMO, "MEMO"},
    {"Completed", MDB_BOOL, "логический (да/нет)"},
}};

[[noreturn]] void unsuitable(const QString& path, const QString& what) {
    throw TarvikError(QStringLiteral("Файл \"%1\" — база данных Access (Jet), но задачи из него "
                                     "перенести нельзя: %2. Файл оставлен как есть.")
                          .arg(PlansFile::shown(path), what));
}

struct CloseMdb {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct FreeTable {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

quint32 le32(const unsigned char* bytes) {
    return qFromLittleEndian<quint32>(bytes);
}

QString utf16(const char* bytes, qsizetype size) {
    QString text(size / 2, Qt::Uninitialized);
    qFromLittleEndian<quint16>(bytes, text.size(), text.data());
    return text;
}

// Jet 4 keeps a text whose characters mostly fit a byte as 0xFF 0xFE and then one byte per
// character, a zero byte switching to two-byte characters and back.
QString uncompressed(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    bool oneByte = true;
    for (qsizetype at = 2; at < bytes.size();) {
        const uchar byte = uchar(bytes[at]);
        if (byte == 0) {
            oneByte = !oneByte;
            ++at;
        } else if (oneByte) {
            text += QChar(byte);
            ++at;
        } else if (at + 1 < bytes.size()) {
            text += utf16(bytes.constData() + at, 2);
            at += 2;
        } else {
            break;
        }
    }
    return text;
}

class Reader final {
public:
    explicit Reader(const QString& path)
        : m_path(path)
        , m_mdb(mdb_open(JetReadingPlatform::fileName(path).constData(), MDB_NOFLAGS)) {
        if (!m_mdb)
            damaged(QStringLiteral("библиотека libmdb не может прочитать его заголовок"));
        m_pageSize = int(m_mdb->fmt->pg_size);
        // libmdb reads a page past the end as zeros: every page asked for must be there.
        const qint64 size = QFileInfo(path).size();
        if (size % m_pageSize != 0)
            damaged(QStringLiteral("файл обрезан: его длина не кратна размеру страницы"));
        m_pages = quint64(size / m_pageSize);
    }

    JetTable readPlans() {
        openPlans();
        findColumns();
        JetTable table;
        table.promisedRows = m_table->num_rows;
        table.columns = int(m_table->num_cols);
        table.tasks = rows();
        return table;
    }

private:
    [[noreturn]] void damaged(const QString& detail) const {
        PlansFile::damaged(m_path,
                           QStringLiteral("Файл — база данных Access (Jet): %1.").arg(detail));
    }

    void openPlans() {
        if (!mdb_read_catalog(m_mdb.get(), MDB_TABLE))
            damaged(QStringLiteral("список её таблиц не читается"));
        for (unsigned int at = 0; at < m_mdb->num_catalog; ++at) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(m_mdb->catalog, at));
            if (entry->object_type != MDB_TABLE || g_ascii_strcasecmp(entry->object_name, "Plans"))
                continue;
            m_table.reset(mdb_read_table(entry));
            if (!m_table || !mdb_read_columns(m_table.get()))
                damaged(QStringLiteral("описание таблицы Plans не читается"));
            return;
        }
        unsuitable(m_path, QStringLiteral("в нём нет таблицы Plans"));
    }

    // The six columns by name, in whatever order the file keeps them.
    void findColumns() {
        // A row's fields are taken apart into an array of libmdb's largest column count.
        if (m_table->num_cols > MDB_MAX_COLS)
            damaged(QStringLiteral("у таблицы Plans %1 столбцов").arg(m_table->num_cols));
        m_fieldOf.assign(m_table->num_cols, -1);
        for (int field = 0; field < FieldCount; ++field) {
            const Wanted& column = wanted[size_t(field)];
            int found = -1;
            for (unsigned int at = 0; at < m_table->num_cols; ++at) {
                auto* candidate = static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, at));
                if (g_ascii_strcasecmp(candidate->name, column.name) == 0)
                    found = int(at);
            }
            if (found < 0)
                unsuitable(m_path, QStringLiteral("в таблице Plans нет столбца %1")
                                       .arg(QLatin1String(column.name)));
            const auto* present =
                static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, found));
            if (present->col_type != column.type)
                unsuitable(m_path,
                           QStringLiteral("столбец %1 таблицы Plans должен быть типа «%2»")
                               .arg(QLatin1String(column.name), QString::fromUtf8(column.kind)));
            m_fieldOf[size_t(found)] = field;
        }
    }

    // Every row the table's pages hold; how many the definition promises is checked by the
    // one who asked, so that a count read from the file sizes nothing here beyond what the
    // file's pages could hold.
    std::vector<JetTask> rows() {
        const quint64 mostRows = m_pages * quint64(m_pageSize / MinimalRow);
        std::vector<JetTask> tasks;
        tasks.reserve(size_t(std::min<quint64>(m_table->num_rows, mostRows)));
        std::vector<MdbField> fields(MDB_MAX_COLS);
        mdb_rewind_table(m_table.get());
        while (mdb_fetch_row(m_table.get())) {
            if (m_table->cur_phys_pg >= m_pages || tasks.size() >= mostRows)
                damaged(QStringLiteral("строки таблицы Plans лежат за концом файла"));
            // The row just fetched, taken apart again for its fields' places and null flags.
            int start = 0;
            size_t size = 0;
            if (mdb_find_row(m_mdb.get(), int(m_table->cur_row) - 1, &start, &size) != 0 ||
                !onPage((start &= offsetMask), qint64(size)))
                damaged(QStringLiteral("строка таблицы Plans выходит за свою страницу"));
            JetTask task;
            task.columns = mdb_crack_row(m_table.get(), start, size, fields.data());
            if (task.columns < 0)
                damaged(QStringLiteral("строка таблицы Plans не читается"));
            bool numbered = false;
            for (unsigned int at = 0; at < m_table->num_cols; ++at) {
                const int field = m_fieldOf[at];
                numbered = numbered || (field == ID && !fields[at].is_null);
                if (field >= 0)
                    read(task, field, fields[at]);
            }
            if (!numbered)
                damaged(QStringLiteral("у строки таблицы Plans нет номера задачи (ID)"));
            tasks.push_back(std::move(task));
        }
        return tasks;
    }

    bool onPage(qint64 start, qint64 size) const {
        return start >= 0 && size >= 0 && start + size <= m_pageSize;
    }

    void read(JetTask& task, int field, const MdbField& value) {
        // A yes/no value is the field's bit in the row's null mask.
        if (field == Completed) {
            task.completed = !value.is_null;
            return;
        }
        if (value.is_null)
            return;
        if (!onPage(value.start, value.siz))
            damaged(QStringLiteral("значение выходит за свою страницу"));
        const unsigned char* bytes = m_mdb->pg_buf + value.start;
        const QByteArray raw =
            QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), value.siz);
        switch (field) {
        case Reminder:
            task.reminder = stamp(raw);
            break;
        case Date:
            task.date = stamp(raw);
            break;
        case ID:
            if (value.siz != 4)
                damaged(QStringLiteral("номер задачи записан не в 4 байтах"));
            task.id = qFromLittleEndian<qint32>(bytes);
            break;
        case Plan:
            task.plan = text(raw);
            break;
        default:
            task.comments = text(memo(raw));
        }
    }

    Stamp stamp(const QByteArray& raw) const {
        if (raw.size() != 8)
            damaged(QStringLiteral("дата записана не в 8 байтах"));
        const double days = qFromLittleEndian<double>(raw.constData());
        const Stamp result = JetReader::stampOfDays(days);
        if (result == NoStamp)
            damaged(QStringLiteral("дата вне допустимых пределов (%1 дней)").arg(days));
        return result;
    }

    // A memo's bytes: in the row itself, on one long-value page, or on a chain of them.
    QByteArray memo(const QByteArray& head) const {
        if (head.size() < memoHead)
            damaged(QStringLiteral("заголовок поля MEMO обрезан"));
        const auto* bytes = reinterpret_cast<const unsigned char*>(head.constData());
        const quint32 flags = le32(bytes);
        const qsizetype length = qsizetype(flags & memoLength);
        if (flags & memoInline) {
            if (length > head.size() - memoHead)
                damaged(QStringLiteral("поле MEMO длиннее своей строки"));
            return QByteArray(head.constData() + memoHead, length);
        }
        // Never longer than the file, never a page twice: a chain that runs in a circle or
        // claims a gigabyte is damaged, not something to allocate for.
        if (quint64(length) > m_pages * quint64(m_pageSize))
            damaged(QStringLiteral("поле MEMO длиннее всего файла"));
        QByteArray text;
        std::unordered_set<quint32> visited;
        quint32 next = le32(bytes + 4);
        while (text.size() < length) {
            void* page = nullptr;
            int start = 0;
            size_t size = 0;
            if ((next >> 8) >= m_pages || !visited.insert(next >> 8).second ||
                mdb_find_pg_row(m_mdb.get(), int(next), &page, &start, &size) != 0 ||
                !onPage((start &= offsetMask), qint64(size)))
                damaged(QStringLiteral("поле MEMO не читается со своих страниц"));
            const char* row = static_cast<const char*>(page) + start;
            if (flags & memoOnePage) {
                text.append(row, qsizetype(size));
                break;
            }
            if (size < 4)
                damaged(QStringLiteral("поле MEMO не читается со своих страниц"));
            next = qFromLittleEndian<quint32>(row);
            text.append(row + 4, qsizetype(size) - 4);
            if (next == 0)
                break;
        }
        if (text.size() < length)
            damaged(QStringLiteral("поле MEMO короче своей длины"));
        text.truncate(length);
        return text;
    }

    QString text(const QByteArray& bytes) {
        QString result;
        if (m_mdb->f->jet_version == MDB_VER_JET3)
            result = fromCodePage(bytes);
        else if (bytes.startsWith("\xff\xfe"))
            result = uncompressed(bytes);
        else
            result = utf16(bytes.constData(), bytes.size());
        // Stored empty, which is not the same as no value.
        return result.isEmpty() ? QStringLiteral("") : result;
    }

    // Jet 3 keeps texts in the Windows code page named in its header.
    QString fromCodePage(const QByteArray& bytes) const {
        const int page = m_mdb->f->code_page ? m_mdb->f->code_page : 1252;
        const std::optional<QString> text = CodePage::decode(page, bytes);
        if (!text)
            damaged(QStringLiteral("текст не читается в кодовой странице %1").arg(page));
        return *text;
    }

    QString m_path;
    std::unique_ptr<MdbHandle, CloseMdb> m_mdb;
    std::unique_ptr<MdbTableDef, FreeTable> m_table; // freed before the file closes
    std::vector<int> m_fieldOf; // the field of each of the table's columns, -1 for others
    int m_pageSize = 0;
    quint64 m_pages = 0; // the pages the file really has
};

} // namespace

namespace JetReader {

JetTable readPlans(const QString& path) {
    return Reader(path).readPlans();
}

Stamp stampOfDays(double days) {
    // Access's own range: 1 January 100 to 31 December 9999.
    if (!(days > -657435.0 && days < 2958466.0))
        return NoStamp;
    // Before the zero day the whole days count back and the fraction still counts forward
    // from midnight, away from zero.
    const double whole = std::trunc(days);
    qint64 seconds = std::llround(std::fabs(days - whole) * 86400.0);
    QDate day = QDate(1899, 12, 30).addDays(qint64(whole));
    if (seconds == 86400) {
        day = day.addDays(1);
        seconds = 0;
    }
    return Stamps::fromParts(day, QTime(0, 0).addSecs(int(seconds)));
}

} // namespace JetReader
