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
    QString failure;
    try {
        handler();
        return;
    } catch (const TarvikError& error) {
        failure = error.text();
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    } catch (...) {
        // Qt's event loop must never see an exception, whatever its type.
        failure = QStringLiteral("Unknown error");
    }
    // The box opens only now, when the failed handler's frames (and what they held) are gone.
    MessageBox::inform(QApplication::activeWindow(), reportCaption(), failure);
}

void ErrorReport::setCaption(const QString& caption) {
    reportCaption() = caption;
}
