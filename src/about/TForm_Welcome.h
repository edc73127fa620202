#pragma once

#include <QWidget>

class BevelPanel;
class QLabel;

// The splash window: the program picture, name, version, credit and photo, shown for one
// second at start-up.
class TForm_Welcome final : public QWidget {
    Q_OBJECT
public:
    explicit TForm_Welcome(QWidget* parent = nullptr);

    // Shows the window and paints it at once, so it stands drawn through the pause.
    void showAndPaint();

    BevelPanel* Panel1; // the bevelled ground of the whole splash
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Label3; // the credit line
    QLabel* Image1; // the photo
    QLabel* Label4; // the program's page, shown as a link that takes no clicks
};
