#pragma once

#include <QWidget>

// The splash window: the product name and version, shown for one second at start-up.
class TForm_Welcome final : public QWidget {
    Q_OBJECT
public:
    explicit TForm_Welcome(QWidget* parent = nullptr);

    // Shows the window and paints it at once, so it stands drawn through the pause.
    void showAndPaint();
};
