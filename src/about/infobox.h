#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include <array>

class QFrame;
class QLabel;

// ": 0.3": a colon, a blank, major and minor version as decimal digits.
QString formatVersion(int major, int minor);
// ": 067": a colon, a blank and the revision with at least three digits.
QString formatBuildNumber(int revision);

// The about box "info": program name, company, version, build number and date. It also serves
// as the start screen. A click anywhere on it or any key (other than a lone Shift, Ctrl, Alt
// or Meta) closes it.
//
// Lifetime: the box never deletes itself unless its owner asks for it.
//  - Modal, from the help menu: a local object, `InfoBox box(bDebug, this); box.exec();`.
//  - Start screen: `showStartScreen()` creates it with Qt::WA_DeleteOnClose and shows it without
//    waiting. The owner keeps the returned QPointer and closes the box from its timer with
//    `if (box) box->close();`. A click or key may close (and delete) it earlier; the QPointer
//    then turns null, and closing an already closed box is harmless.
class InfoBox : public QDialog {
    Q_OBJECT
  public:
    explicit InfoBox(bool debug, QWidget* parent = nullptr);

    static QPointer<InfoBox> showStartScreen(bool debug, QWidget* parent);

    // The box's size in device-independent pixels; it is not resizable.
    static constexpr int BoxWidth = 420;
    static constexpr int BoxHeight = 272;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void Form_Load(bool debug);
    void watchForClicks(QWidget* widget);
    void closeBox();
    static bool closesBox(const QKeyEvent* event);

    QFrame* Frame1;
    QLabel* Image1;
    QLabel* Image3;
    QFrame* Line1;
    std::array<QLabel*, 2> lblSoftwareName;
    QLabel* lblCompanyText2Shadow;
    QLabel* lblCompanyText2;
    QLabel* lblSoftwareVersion;
    QLabel* lblVersion;
    QLabel* lblSoftwareBuildNo;
    QLabel* lblBuildNo;
    QLabel* lblSoftwareDate;
    QLabel* lblDate;
};
