#pragma once

#include <QDialog>

// "Hilfe": a short page on working with the keyboard alone, beside the window and not in its way
// (it takes no input from the window). One page per window; asked for again, it comes to the
// front.
class HelpPage : public QDialog {
    Q_OBJECT
  public:
    explicit HelpPage(QWidget* parent = nullptr);

    // Shows the window's page, made when it is first asked for.
    static HelpPage* showFor(QWidget* window);
};
