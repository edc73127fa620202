#include "toolkit/Guarded.h"

#include "toolkit/Error.h"
#include "toolkit/MessageBox.h"

#include <QApplication>

#include <exception>

namespace {

QString& reportCaption() {
    static QString caption = QStringLiteral("Tarvik");
    return caption;
}

} // namespace

void ErrorReport::run(const std::function<void()>& handler) {
    // The box opens only now, when the failed handler's frames (and what they held) are gone.
    if (const std::optional<QString> failure = failureOf(handler))
        show(*failure);
}

std::optional<QString> ErrorReport::failureOf(const std::function<void()>& handler) {
    try {
        handler();
        return std::nullopt;
    } catch (const TarvikError& error) {
        return error.text();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        // Qt's event loop must never see an exception, whatever its type.
        return QStringLiteral("Unknown error");
    }
}

void ErrorReport::show(const QString& failure) {
    MessageBox::inform(QApplication::activeWindow(), reportCaption(), failure);
}

void ErrorReport::setCaption(const QString& caption) {
    reportCaption() = caption;
}
