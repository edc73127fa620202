#pragma once

#include <QDialog>

class BevelPanel;
class LinkLabel;
class QLabel;
class QPushButton;

// The About window: the program picture, name, version, purpose, credit, photo and the
// link to the program's page. Shown modally by the main window; Enter or the close box
// ends it, Esc does nothing.
class TForm_About final : public QDialog {
    Q_OBJECT
public:
    explicit TForm_About(QWidget* parent = nullptr);

    BevelPanel* Panel1; // the bevelled ground of everything but OK
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Comments;
    QLabel* Label1;    // the credit's heading
    QLabel* Label3;    // the credit
    QLabel* Image1;    // the photo
    LinkLabel* Label2; // the link to the program's page
    QPushButton* OKButton;

    void Label2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
