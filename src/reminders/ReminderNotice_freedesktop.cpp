#include "reminders/ReminderNotice.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QVariantMap>

#include <optional>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString DefaultAction = QStringLiteral("default");

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(Service, Path, Interface, method);
}

// The program's icon as the service's raw image: width, height, row stride, alpha, bits per
// sample, channels and the RGBA bytes. An uninstalled program has no icon name the desktop
// could look up, so the pixels travel with the notice.
QVariant iconImage() {
    const QImage image = QGuiApplication::windowIcon()
                             .pixmap(QSize(64, 64))
                             .toImage()
                             .convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull())
        return {};
    QDBusArgument argument;
    argument.beginStructure();
    argument << image.width() << image.height() << int(image.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char*>(image.constBits()),
                           int(image.sizeInBytes()));
    argument.endStructure();
    return QVariant::fromValue(argument);
}

// Critical urgency: the service keeps the notice until it is answered or withdrawn; it also
// stays when its action has been invoked, as the dialog stays.
QVariantMap hints() {
    QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(uchar(2))},
                      {QStringLiteral("resident"), true}};
    const QVariant icon = iconImage();
    if (icon.isValid())
        hints.insert(QStringLiteral("image-data"), icon);
    return hints;
}

// The freedesktop notification service on the session bus. Every call is asynchronous: a
// service that is missing or slow never holds up the watch, and a failed call is dropped
// without a word (the dialog is there in any case).
class FreedesktopNotice final : public ReminderNotice {
    Q_OBJECT
public:
    using ReminderNotice::ReminderNotice;

    void show(const Content& content) override {
        if (!listen())
            return;
        ++m_showing;
        m_id = 0;
        m_token.clear();
        m_wanted = content;
        if (m_markup)
            notify();
        else
            askCapabilities();
    }

    void withdraw() override {
        m_wanted.reset();
        if (m_id != 0)
            close(m_id);
        m_id = 0;
    }

private slots:
    void ActivationToken(uint id, const QString& token) {
        if (id == m_id && id != 0)
            m_token = token;
    }

    void ActionInvoked(uint id, const QString& action) {
        if (id == m_id && id != 0 && action == DefaultAction)
            emit activated(m_token);
    }

    // A notice closed by anyone (the user, the service, our own withdrawal) is no longer
    // there to replace.
    void NotificationClosed(uint id, uint) {
        for (auto open = m_open.begin(); open != m_open.end(); ++open) {
            if (open.value() == id) {
                m_open.erase(open);
                return;
            }
        }
    }

private:
    // The bus and the service's signals, from the first showing on: a program that reminds
    // of nothing never connects. The sender is not named, so that no lookup of the service's
    // owner waits on the bus.
    bool listen() {
        if (m_listening)
            return true;
        m_bus = QDBusConnection::sessionBus();
        if (!m_bus.isConnected())
            return false;
        const char* const handlers[][2] = {
            {"ActivationToken", SLOT(ActivationToken(uint, QString))},
            {"ActionInvoked", SLOT(ActionInvoked(uint, QString))},
            {"NotificationClosed", SLOT(NotificationClosed(uint, uint))}};
        for (const auto& handler : handlers)
            m_bus.connect(QString(), Path, Interface, QLatin1String(handler[0]), this, handler[1]);
        m_listening = true;
        return true;
    }

    // Whether the service reads the body as markup decides how its text is escaped; asked
    // until it has answered, the notice waiting meanwhile. A service that was missing when
    // one showing asked may be there by the next: a failed answer that comes after a newer
    // showing began asks again for it.
    void askCapabilities() {
        if (m_asking)
            return;
        m_asking = true;
        onReply(m_bus.asyncCall(call(QStringLiteral("GetCapabilities"))),
                [this, showing = m_showing](const QDBusMessage& reply) {
                    m_asking = false;
                    if (reply.type() != QDBusMessage::ReplyMessage) {
                        if (m_wanted && showing != m_showing)
                            askCapabilities();
                        return;
                    }
                    m_markup = reply.arguments().value(0).toStringList().contains(
                        QStringLiteral("body-markup"));
                    if (m_wanted)
                        notify();
                });
    }

    void notify() {
        const Content content = *m_wanted;
        const QString body = *m_markup ? content.body().toHtmlEscaped() : content.body();
        QDBusMessage message = call(QStringLiteral("Notify"));
        message << QGuiApplication::applicationName() << m_open.value(content.task, 0u) << QString()
                << content.title << body << QStringList{DefaultAction, QStringLiteral("Показать")}
                << hints() << qint32(0);
        const quint64 showing = m_showing;
        onReply(m_bus.asyncCall(message),
                [this, showing, task = content.task](const QDBusMessage& reply) {
                    if (reply.type() != QDBusMessage::ReplyMessage)
                        return;
                    const uint id = reply.arguments().value(0).toUInt();
                    m_open.insert(task, id);
                    // Answered while the service was still to reply: taken back at once.
                    if (showing == m_showing && m_wanted)
                        m_id = id;
                    else
                        close(id);
                });
    }

    void close(uint id) {
        QDBusMessage message = call(QStringLiteral("CloseNotification"));
        message << id;
        m_bus.send(message);
    }

    template <class Handler> void onReply(const QDBusPendingCall& pending, Handler handler) {
        auto* watcher = new QDBusPendingCallWatcher(pending, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [handler](QDBusPendingCallWatcher* finished) {
                    finished->deleteLater();
                    handler(finished->reply());
                });
    }

    QDBusConnection m_bus{QString()};
    bool m_listening = false;
    bool m_asking = false;
    std::optional<bool> m_markup;
    // The showing under way: its content until it is withdrawn, the service's ID for it
    // once known, and the token the service gave for its activation.
    quint64 m_showing = 0;
    std::optional<Content> m_wanted;
    uint m_id = 0;
    QString m_token;
    // The notices the service still shows, by task.
    QHash<qint64, uint> m_open;
};

} // namespace

ReminderNotice* ReminderNotice::create(QObject* parent) {
    return new FreedesktopNotice(parent);
}

#include "ReminderNotice_freedesktop.moc"
