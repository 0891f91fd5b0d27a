#include "infobox.h"

#include "tarvexresources.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPixmap>

QString formatVersion(int major, int minor) {
    return QStringLiteral(": %1.%2").arg(major).arg(minor);
}

QString formatBuildNumber(int revision) {
    if (revision < 0)
        return QStringLiteral(": -%1").arg(-qint64(revision), 3, 10, QLatin1Char('0'));
    return QStringLiteral(": %1").arg(revision, 3, 10, QLatin1Char('0'));
}

namespace {

// The box is laid out in device-independent pixels (1/96 inch, 15 twips each).
constexpr int twips(int t) {
    return (t + 7) / 15;
}

// Shadow offsets of the two text pairs.
constexpr int NameShadow = twips(30);
constexpr int CompanyShadow = twips(25);

const QColor NameColour(0x1b, 0x3d, 0x75);
const QColor CompanyColour(0xa8, 0x2a, 0x1a);
const QColor CaptionColour(0x3a, 0x4a, 0x66);

QFont arial(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QFont& font,
                  const QColor& colour, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
    label->move(at);
    label->adjustSize();
    return label;
}

QLabel* makePicture(QWidget* parent, const QString& name, const QString& resource, QRect at) {
    auto* picture = new QLabel(parent);
    picture->setObjectName(name);
    picture->setPixmap(QPixmap(resource));
    picture->setGeometry(at);
    return picture;
}

} // namespace

InfoBox::InfoBox(bool debug, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("info"));
    setWindowTitle(QStringLiteral("Info"));
    setWindowIcon(TarvexResources::programIcon());
    setFixedSize(BoxWidth, BoxHeight);
    setSizeGripEnabled(false);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xfb, 0xf7, 0xee));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    // The coloured panel with picture, name and company.
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Frame1->setGeometry(12, 12, BoxWidth - 24, 136);
    QLinearGradient sky(0, 0, 0, 1);
    sky.setCoordinateMode(QGradient::ObjectMode);
    sky.setColorAt(0, QColor(0xa8, 0xd4, 0xf6));
    sky.setColorAt(1, QColor(0x62, 0xa2, 0xdd));
    QPalette framePal = Frame1->palette();
    framePal.setBrush(QPalette::Window, sky);
    Frame1->setPalette(framePal);
    Frame1->setAutoFillBackground(true);

    Image1 = makePicture(Frame1, QStringLiteral("Image1"), TarvexResources::programPicture(),
                         QRect(20, 36, 64, 64));

    // Each white shadow label is made first, so that its partner lies on top of it.
    const QFont nameFont = arial(34, true);
    const QPoint namePos(104, 18);
    lblSoftwareName[1] =
        makeLabel(Frame1, QStringLiteral("lblSoftwareName1"), QStringLiteral("Tarvex"), nameFont,
                  Qt::white, namePos + QPoint(NameShadow, NameShadow));
    lblSoftwareName[0] = makeLabel(Frame1, QStringLiteral("lblSoftwareName0"),
                                   QStringLiteral("Tarvex"), nameFont, NameColour, namePos);

    const QFont companyFont = arial(21, true);
    const QPoint companyPos(106, 78);
    lblCompanyText2Shadow =
        makeLabel(Frame1, QStringLiteral("lblCompanyText2Shadow"), QStringLiteral("Belvonia"),
                  companyFont, Qt::white, companyPos + QPoint(CompanyShadow, CompanyShadow));
    lblCompanyText2 = makeLabel(Frame1, QStringLiteral("lblCompanyText2"),
                                QStringLiteral("Belvonia"), companyFont, CompanyColour, companyPos);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Line1->setGeometry(12, 158, BoxWidth - 24, 3);

    // Version, build and date: captions on the left, values beside them.
    const QFont rowFont = arial(15, false);
    const int captionX = 32;
    const int valueX = 112;
    const int firstRow = 180;
    const int rowStep = 27;
    lblSoftwareVersion =
        makeLabel(this, QStringLiteral("lblSoftwareVersion"), QStringLiteral("Version"), rowFont,
                  CaptionColour, QPoint(captionX, firstRow));
    lblVersion = makeLabel(this, QStringLiteral("lblVersion"), QString(), rowFont, Qt::black,
                           QPoint(valueX, firstRow));
    lblSoftwareBuildNo =
        makeLabel(this, QStringLiteral("lblSoftwareBuildNo"), QStringLiteral("Build"), rowFont,
                  CaptionColour, QPoint(captionX, firstRow + rowStep));
    lblBuildNo = makeLabel(this, QStringLiteral("lblBuildNo"), QString(), rowFont, Qt::black,
                           QPoint(valueX, firstRow + rowStep));
    lblSoftwareDate = makeLabel(this, QStringLiteral("lblSoftwareDate"), QStringLiteral("Datum"),
                                rowFont, CaptionColour, QPoint(captionX, firstRow + 2 * rowStep));
    lblDate = makeLabel(this, QStringLiteral("lblDate"), QStringLiteral(": März 2005"), rowFont,
                        Qt::black, QPoint(valueX, firstRow + 2 * rowStep));

    Image3 = makePicture(this, QStringLiteral("Image3"), TarvexResources::aboutPicture(),
                         QRect(BoxWidth - 64 - 40, 178, 64, 64));

    Form_Load(debug);

    // A click on any part of the box closes it, pictures and labels included.
    watchForClicks(this);
}

void InfoBox::Form_Load(bool debug) {
    lblVersion->setText(formatVersion(TARVEX_VERSION_MAJOR, TARVEX_VERSION_MINOR));
    lblBuildNo->setText(formatBuildNumber(TARVEX_VERSION_PATCH));
    if (debug) {
        for (QLabel* name : lblSoftwareName)
            name->setText(name->text() + QStringLiteral(" - Debug"));
    }
    for (QLabel* label : findChildren<QLabel*>())
        label->adjustSize();
}

QPointer<InfoBox> InfoBox::showStartScreen(bool debug, QWidget* parent) {
    QPointer<InfoBox> box = new InfoBox(debug, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}

void InfoBox::watchForClicks(QWidget* widget) {
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool InfoBox::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        closeBox();
        return true;
    case QEvent::KeyPress:
        if (closesBox(static_cast<QKeyEvent*>(event))) {
            closeBox();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void InfoBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
    closeBox();
}

void InfoBox::keyPressEvent(QKeyEvent* event) {
    if (closesBox(event)) {
        event->accept();
        closeBox();
        return;
    }
    QDialog::keyPressEvent(event);
}

void InfoBox::changeEvent(QEvent* event) {
    // Disabling the owner disables its child windows too. The start screen must stay clickable
    // while the main window waits for it, so only an explicit setEnabled(false) on the box
    // itself counts.
    if (event->type() == QEvent::EnabledChange && !isEnabled() &&
        !testAttribute(Qt::WA_ForceDisabled))
        setEnabled(true);
    QDialog::changeEvent(event);
}

bool InfoBox::closesBox(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        // a lone modifier, for instance the start of Alt+Tab
        return false;
    default:
        return true;
    }
}

void InfoBox::closeBox() {
    if (isVisible())
        accept();
}
