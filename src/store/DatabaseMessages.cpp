#include "store/DatabaseMessages.h"

#include "store/Fields.h"

#include <sqlite3.h>

namespace {

QString busy() {
    return QStringLiteral("Файл базы данных занят: другая программа (или другая копия Тарвика) "
                          "сейчас записывает в него. Повторите действие через несколько секунд.");
}

QString readOnly(int extendedCode) {
    if (extendedCode == SQLITE_READONLY_DBMOVED)
        return QStringLiteral("Файл базы данных переместили или удалили, пока программа "
                              "работала. Верните файл на место и перезапустите программу.");
    return QStringLiteral("Файл базы данных доступен только для чтения, записать в него нельзя. "
                          "Разрешите запись в файл и в его папку и повторите действие.");
}

QString constraint(int extendedCode) {
    switch (extendedCode) {
    case SQLITE_CONSTRAINT_CHECK:
        return QStringLiteral("База данных не приняла значение: оно не проходит её проверку "
                              "(заголовок задачи — не длиннее %1 символов). Исправьте значение "
                              "и повторите действие.")
            .arg(PlanSize);
    case SQLITE_CONSTRAINT_NOTNULL:
        return QStringLiteral("База данных не приняла запись: одно из обязательных полей не "
                              "заполнено. Заполните его и повторите действие.");
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
        return QStringLiteral("База данных не приняла запись: задача с таким номером уже есть. "
                              "Обновите список и повторите действие.");
    default:
        return QStringLiteral("База данных не приняла изменение: оно нарушает её правила. "
                              "Проверьте введённые значения и повторите действие.");
    }
}

QString sentence(int extendedCode) {
    switch (extendedCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL:
        return busy();
    case SQLITE_READONLY:
        return readOnly(extendedCode);
    case SQLITE_FULL:
        return QStringLiteral("На диске не хватает места для базы данных. Освободите место на "
                              "диске и повторите действие.");
    case SQLITE_IOERR:
        return QStringLiteral("Не удалось прочитать или записать файл базы данных. Проверьте "
                              "диск (не отключён ли он, есть ли на нём место) и повторите "
                              "действие.");
    case SQLITE_CONSTRAINT:
        return constraint(extendedCode);
    case SQLITE_TOOBIG:
        return QStringLiteral("Текст слишком длинный для базы данных. Сократите его и повторите "
                              "действие.");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("Файл повреждён или не является базой данных Тарвика. Восстановите "
                              "Plans.mdb из резервной копии.");
    case SQLITE_CANTOPEN:
        return QStringLiteral("Файл базы данных не удаётся открыть: его нет на месте или к нему "
                              "(или к его папке) нет доступа. Проверьте файл и права на него.");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("Нет прав на это действие с файлом базы данных. Проверьте права на "
                              "файл и его папку.");
    case SQLITE_NOMEM:
        return QStringLiteral("Не хватает памяти. Закройте ненужные программы и повторите "
                              "действие.");
    default:
        return QStringLiteral("База данных сообщила об ошибке, действие не выполнено. Повторите "
                              "его; если ошибка повторяется, перезапустите программу.");
    }
}

} // namespace

namespace DatabaseMessages {

QString explained(int extendedCode, const QString& engineText) {
    return sentence(extendedCode) + '\n' + engineText;
}

} // namespace DatabaseMessages
