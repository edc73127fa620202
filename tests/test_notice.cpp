#include "ModalHelper.h"
#include "WindowSession.h"
#include "about/AboutParts.h"
#include "reminders/TForm_Remainder.h"
#include "toolkit/MaskEdit.h"
#include "toolkit/MessageBox.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <csignal>

namespace {

const QDateTime Now = fixedNow();
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");

// A session bus of the test's own, which starts no services: a notification service is on
// it exactly while the test registers one.
class PrivateBus final {
public:
    PrivateBus() {
        QFile config(m_dir.filePath("bus.conf"));
        config.open(QIODevice::WriteOnly);
        config.write("<busconfig><type>session</type><listen>unix:dir=" + m_dir.path().toUtf8() +
                     "</listen><auth>EXTERNAL</auth><policy context='default'>"
                     "<allow send_destination='*'/><allow receive_sender='*'/><allow own='*'/>"
                     "</policy></busconfig>");
        config.close();
        m_daemon.start("dbus-daemon",
                       {"--config-file=" + config.fileName(), "--print-address", "--nofork"});
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
        }
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    // A bus that answers late, as on a busy machine: it stops answering until resumed.
    void pause() { ::kill(pid_t(m_daemon.processId()), SIGSTOP); }
    void resume() { ::kill(pid_t(m_daemon.processId()), SIGCONT); }
    QString address;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
};

// The desktop's notification service as the test sees it: what was asked of it. Notify's
// arguments: application, replaced ID, icon, summary, body, actions, hints, timeout.
class NotificationService final : public QDBusVirtualObject {
public:
    QList<QVariantList> notified;
    QList<uint> closed;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        const QVariantList arguments = message.arguments();
        QVariant answer = QStringList{"actions", "body", "body-markup"};
        if (message.member() == "Notify") {
            notified.append(arguments);
            answer = arguments[1].toUInt() != 0 ? arguments[1].toUInt() : 40u + notified.size();
        } else if (message.member() == "CloseNotification") {
            closed.append(arguments[0].toUInt());
        }
        return bus.send(message.createReply(answer));
    }
    QString introspect(const QString&) const override { return {}; }

    // The user clicks the notice: the service hands over a token, then invokes the action.
    static void click(QDBusConnection bus, uint id, const QString& token) {
        bus.send(QDBusMessage::createSignal(Path, Service, "ActivationToken") << id << token);
        bus.send(QDBusMessage::createSignal(Path, Service, "ActionInvoked") << id << "default");
    }
};

// One showing of the dialog: the steps run once the service has its notice, then the frame
// closes the dialog unless the steps closed it.
void inDialog(const std::function<void()>& steps) {
    whenModal([steps](QWidget*) {
        steps();
        if (reminderWindow()->isVisible())
            reminderWindow()->close();
    });
    tick();
}

} // namespace

class NoticeTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<WindowSession> session;
    std::unique_ptr<NotificationService> service;
    QDBusConnection serviceBus{QString()};

    void open(const QString& comments = {}) {
        session->open({{"Позвонить <Ивану>", at(2026, 12, 8), Now, false, comments}});
    }
    void waitForNotices(int count) { QTRY_COMPARE(service->notified.size(), count); }

private slots:
    // The program's session bus is the private one: set before anything asks for it.
    void initTestCase() {
        bus = std::make_unique<PrivateBus>();
        QVERIFY(!bus->address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus->address.toUtf8());
        serviceBus = QDBusConnection::connectToBus(bus->address, "service");
        QVERIFY(serviceBus.interface()->isServiceRegistered(
            QDBusConnection::sessionBus().baseService()));
        QApplication::setWindowIcon(AboutParts::applicationIcon());
    }

    void init() {
        session = std::make_unique<WindowSession>();
        service = std::make_unique<NotificationService>();
        QVERIFY(serviceBus.registerVirtualObject(Path, service.get()));
        QVERIFY(serviceBus.registerService(Service));
    }

    void cleanup() {
        QVERIFY(!modalHelperFailed());
        session.reset();
        serviceBus.unregisterService(Service);
        serviceBus.unregisterObject(Path);
        service.reset();
    }

    void everyAnswerWithdrawsTheNotice_data() {
        QTest::addColumn<int>("choice");
        QTest::newRow("Прекратить") << int(TForm_Remainder::Stop);
        QTest::newRow("Отложить") << int(TForm_Remainder::Postpone);
        QTest::newRow("Завершить") << int(TForm_Remainder::Complete);
        QTest::newRow("close box") << -1;
    }
    void everyAnswerWithdrawsTheNotice() {
        QFETCH(int, choice);
        open("\n  номер & адрес \nвторая строка");
        inDialog([this, choice] {
            waitForNotices(1);
            QVERIFY(service->closed.isEmpty());
            if (choice < 0)
                return;
            reminderWindow()->setChoice(choice);
            reminderWindow()->Edit_Time->setText("05");
            reminderWindow()->BitBtn1->click();
            QVERIFY(!reminderWindow()->isVisible());
        });
        waitForNotices(1);
        const QVariantList notice = service->notified.first();
        QCOMPARE(notice.mid(3, 3),
                 QVariantList({"Позвонить <Ивану>", "08.12.2026 14:03\nномер &amp; адрес",
                               QStringList{"default", "Показать"}}));
        const auto hints = qdbus_cast<QVariantMap>(notice[6]);
        QCOMPARE(hints.value("urgency").toInt(), 2);
        QVERIFY(hints.contains("image-data"));
        QCOMPARE(notice[7].toInt(), 0);
        QTRY_COMPARE(service->closed, QList<uint>{41});
    }

    // The service still shows the notice it was asked to close: the next showing replaces it.
    void shownAgainReplacesItsNotice() {
        open();
        for (int showing = 1; showing <= 2; ++showing) {
            inDialog([this, showing] { waitForNotices(showing); });
            QTRY_COMPARE(service->closed.size(), showing);
        }
        QCOMPARE(service->notified[0][1].toUInt(), 0u);
        QCOMPARE(service->notified[1][1].toUInt(), 41u);
    }

    void clickOnTheNoticeBringsTheDialogForward() {
        open();
        inDialog([this] {
            waitForNotices(1);
            mainWindow()->showMinimized();
            QWidget other;
            other.show();
            other.activateWindow();
            QTRY_VERIFY(other.isActiveWindow());
            NotificationService::click(serviceBus, 41, "token");
            QTRY_VERIFY(reminderWindow()->isActiveWindow());
            QVERIFY(!mainWindow()->isMinimized());
            QCOMPARE(qgetenv("XDG_ACTIVATION_TOKEN"), QByteArray("token"));
        });
        qunsetenv("XDG_ACTIVATION_TOKEN");
    }

    // Without a service the dialog comes as ever, nothing is reported, and a service that
    // turns up later gets the next reminder, also when the bus says the service is missing
    // only after the next showing began.
    void withoutAServiceTheWatchGoesOn() {
        serviceBus.unregisterService(Service);
        open();
        for (int showing = 0; showing < 3; ++showing) {
            bool shown = false;
            if (showing == 2)
                bus->pause();
            inDialog([&shown] { shown = true; });
            QVERIFY(shown);
            QVERIFY(watchOn());
        }
        QVERIFY(MessageBox::shown().isEmpty());
        bus->resume();
        QVERIFY(serviceBus.registerService(Service));
        inDialog([this] { waitForNotices(1); });
    }
};

QTEST_MAIN(NoticeTest)
#include "test_notice.moc"
