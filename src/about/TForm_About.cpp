#include "about/TForm_About.h"

#include "about/AboutParts.h"
#include "toolkit/Appearance.h"
#include "toolkit/Guarded.h"
#include "toolkit/WindowPlacement.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QPushButton>
#include <QUrl>

using namespace AboutParts;

namespace {

QLabel* wrapped(QWidget* parent, const QString& text, const QRect& box, const QFont& font,
                Qt::Alignment alignment) {
    QLabel* result = label(parent, text, box.left(), box.top(), font);
    result->setGeometry(box);
    result->setWordWrap(true);
    result->setAlignment(alignment);
    return result;
}

} // namespace

TForm_About::TForm_About(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(298, 220);
    setFont(Appearance::font(11));
    Panel1 = new BevelPanel(this);
    Panel1->setGeometry(8, 8, 281, 169);
    ProgramIcon = picture(Panel1, programPicture(), QRect(8, 8, 56, 56));
    ProductName =
        label(Panel1, QStringLiteral("Программа Tarvik"), 88, 8, Appearance::font(13, true));
    Version = label(Panel1, versionText(), 88, 32, Appearance::font(12, true));
    Comments = wrapped(Panel1,
                       QStringLiteral("Программа предназначена для планирования задач и "
                                      "создания напоминаний о них."),
                       QRect(8, 64, 265, 33), Appearance::font(11), Qt::AlignCenter);
    Label1 = wrapped(Panel1, QStringLiteral("Разработка и поддержка:"), QRect(8, 104, 209, 25),
                     Appearance::font(11), Qt::AlignLeft | Qt::AlignTop);
    Label3 = wrapped(Panel1, QStringLiteral("Проект Tarvik"), QRect(8, 120, 154, 32),
                     Appearance::font(11, true), Qt::AlignCenter);
    Image1 = photo(Panel1, QRect(216, 104, 55, 54));
    Label2 = new LinkLabel(Panel1, makerPageShortForm(), makerPageAddress(),
                           Appearance::font(11, true, QStringLiteral("MS Sans Serif")));
    Label2->setGeometry(112, 152, 161, 13);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(111, 188, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(Label2, &LinkLabel::clicked, this, guarded(this, &TForm_About::Label2Click));
    // Centred on the screen once, not over the window that opens it.
    WindowPlacement::centre(this, WindowPlacement::Area::Screen);
}

// The desktop opens the page; its answer is ignored, and the window stays open.
void TForm_About::Label2Click() {
    QDesktopServices::openUrl(QUrl(Label2->toolTip()));
}

// Every showing starts on OK, whatever had the focus when the window last closed: Enter
// closes the window unless Tab has moved on to the link.
void TForm_About::showEvent(QShowEvent* event) {
    OKButton->setFocus();
    QDialog::showEvent(event);
}

// The window has no cancel button: Esc does nothing.
void TForm_About::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
