// The splash and About windows and the photo's decoder.
#include "ModalHelper.h"
#include "about/AboutParts.h"
#include "about/Photo.h"
#include "about/TForm_About.h"
#include "about/TForm_Welcome.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// Receives what the About window hands the desktop, instead of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class AboutTest : public QObject {
    Q_OBJECT

private:
    static QSize photoSize(const QLabel* box) {
        return box->pixmap().isNull() ? QSize() : box->pixmap().size();
    }

private slots:
    void cleanup() { QVERIFY(!modalHelperFailed()); }

    void photoIsABaselineRgbPictureOf359By278() {
        QString error;
        const QImage photo = Photo::decode(AboutParts::photoFile(), &error);
        QVERIFY2(!photo.isNull(), qPrintable(error));
        QCOMPARE(photo.size(), QSize(359, 278));
        QVERIFY(!photo.hasAlphaChannel());
        // A progressive file starts its frame with SOF2; the photo is baseline (SOF0).
        const QByteArray file = AboutParts::photoFile();
        QVERIFY(file.contains(QByteArray("\xFF\xC0", 2)));
        QVERIFY(!file.contains(QByteArray("\xFF\xC2", 2)));
    }

    void damagedPhotoIsAnErrorNotAnExit_data() {
        QTest::addColumn<QByteArray>("data");
        const QByteArray photo = AboutParts::photoFile();
        QTest::newRow("truncated in the picture") << photo.left(photo.size() / 2);
        QTest::newRow("truncated in the header") << photo.left(100);
        QTest::newRow("garbage") << QByteArray(4096, 'x');
        QByteArray scrambled = photo;
        for (qsizetype i = 700; i < scrambled.size() - 2; i += 97)
            scrambled[i] = char(0xFF);
        QTest::newRow("markers scattered through the data") << scrambled;
        QTest::newRow("empty") << QByteArray();
    }

    void damagedPhotoIsAnErrorNotAnExit() {
        QFETCH(QByteArray, data);
        QString error;
        QVERIFY(Photo::decode(data, &error).isNull());
        QVERIFY(!error.isEmpty());
        // The decoder is still sound afterwards.
        QCOMPARE(Photo::decode(AboutParts::photoFile()).size(), QSize(359, 278));
    }

    void photoIsScaledIntoItsBoxWithTheFractionDropped() {
        QCOMPARE(Photo::fittedSize(QSize(359, 278), QSize(71, 65)), QSize(71, 54));
        QCOMPARE(Photo::fittedSize(QSize(359, 278), QSize(55, 54)), QSize(55, 42));
        QCOMPARE(Photo::fittedSize(QSize(100, 400), QSize(55, 54)), QSize(13, 54));
        QCOMPARE(Photo::fittedSize(QSize(40, 30), QSize(55, 54)), QSize(40, 30));
        QVERIFY(Photo::fitted(QImage(), QSize(55, 54)).isNull());
    }

    void splashShowsThePicturesAndTheVersion() {
        TForm_Welcome splash;
        QCOMPARE(splash.size(), QSize(334, 146));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(photoSize(splash.Image1), QSize(71, 54));
        QCOMPARE(splash.Image1->geometry(), QRect(256, 88, 71, 65));
        QCOMPARE(splash.ProgramIcon->pixmap().size(), QSize(56, 56));
        QCOMPARE(splash.ProgramIcon->pixmap().depth(), 32);
        QCOMPARE(splash.ProductName->text(), QStringLiteral("Программа Tarvik"));
        QCOMPARE(splash.Version->text(), QStringLiteral("Версия 1.2.0"));
        QCOMPARE(splash.Label4->toolTip(), AboutParts::makerPageAddress());
    }

    void aboutWindowLayout() {
        TForm_About about;
        QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
        QCOMPARE(about.size(), QSize(298, 220));
        QVERIFY(!(about.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(about.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(photoSize(about.Image1), QSize(55, 42));
        QCOMPARE(about.ProgramIcon->pixmap().size(), QSize(56, 56));
        QCOMPARE(about.Version->text(), QStringLiteral("Версия 1.2.0"));
        QCOMPARE(about.Comments->text(),
                 QStringLiteral("Программа предназначена для планирования задач и создания "
                                "напоминаний о них."));
        QCOMPARE(about.OKButton->text(), QStringLiteral("OK"));
        QVERIFY(about.OKButton->isDefault());
        QCOMPARE(about.Label2->text(), QStringLiteral("Tarvik"));
        const QUrl page(about.Label2->toolTip());
        QVERIFY(page.isLocalFile());
        QVERIFY(page.toLocalFile().endsWith(QStringLiteral("/README.md")));
    }

    void enterClosesTheAboutWindowAndEscDoesNot() {
        TForm_About about;
        bool stayedAfterEsc = false;
        whenModal([&](QWidget* dialog) { // the keys go where the focus is
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
            stayedAfterEsc = dialog->isVisible();
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(about.exec(), int(QDialog::Accepted));
        QVERIFY(stayedAfterEsc);
    }

    void theCloseBoxClosesTheAboutWindow() {
        TForm_About about;
        whenModal([](QWidget* dialog) { dialog->close(); });
        QCOMPARE(about.exec(), int(QDialog::Rejected));
    }

    void linkHandsThePageToTheDesktopAndStaysOpen() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        TForm_About about;
        bool stayedOpen = false;
        whenModal([&](QWidget*) {
            QTest::mouseClick(about.Label2, Qt::LeftButton);
            QTest::mouseClick(about.Label2, Qt::RightButton);
            stayedOpen = about.isVisible();
            about.OKButton->click();
        });
        about.exec();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QVERIFY(stayedOpen);
        QCOMPARE(catcher.opened, QList<QUrl>({QUrl(AboutParts::makerPageAddress())}));
    }

    void applicationIconHasItsFourSizes() {
        const QIcon icon = AboutParts::applicationIcon();
        QCOMPARE(icon.availableSizes(),
                 QList<QSize>({QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(64, 64)}));
        QCOMPARE(icon.pixmap(QSize(24, 24)).toImage().size(), QSize(24, 24));
    }
};

QTEST_MAIN(AboutTest)
#include "test_about.moc"
