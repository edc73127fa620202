#include "toolkit/AccessibleRole.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

namespace {

QHash<QString, QAccessible::Role>& roles() {
    static QHash<QString, QAccessible::Role> byClass;
    return byClass;
}

QAccessibleInterface* withOwnRole(const QString& className, QObject* object) {
    const auto found = roles().constFind(className);
    if (found == roles().constEnd() || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), *found);
}

} // namespace

void setAccessibleRole(const char* className, QAccessible::Role role) {
    static const bool installed = (QAccessible::installFactory(withOwnRole), true);
    Q_UNUSED(installed);
    roles().insert(QString::fromLatin1(className), role);
}
