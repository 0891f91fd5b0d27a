#include "tarvexmain.h"

#include "datacontrol.h"
#include "fieldtable.h"
#include "infobox.h"
#include "snapshotmodel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>

#include <cmath>

namespace {

double screenDpiX(const QWidget* w) {
    const QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

double screenDpiY(const QWidget* w) {
    const QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}

} // namespace

TarvexMain::TarvexMain(const Options& options)
    : m_options(options), m_boxes(*options.boxes), m_settingsFile(options.programFolder) {
    setObjectName(QStringLiteral("TarvexMain"));
    setWindowTitle(QStringLiteral("Belvonia"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/tarvex.png")));
    m_timer1.setSingleShot(true);
    m_timer1.setInterval(options.startScreenMs);
    connect(&m_timer1, &QTimer::timeout, this, &TarvexMain::Timer1_Timer);
    buildWindow();
}

TarvexMain::~TarvexMain() {
    if (m_startScreen)
        delete m_startScreen.data();
}

int TarvexMain::twipsToPixelsX(double twips) const {
    return int(std::lround(twips * screenDpiX(this) / 1440.0));
}
int TarvexMain::twipsToPixelsY(double twips) const {
    return int(std::lround(twips * screenDpiY(this) / 1440.0));
}
int TarvexMain::pixelsToTwipsX(int px) const {
    return int(std::lround(px * 1440.0 / screenDpiX(this)));
}
int TarvexMain::pixelsToTwipsY(int px) const {
    return int(std::lround(px * 1440.0 / screenDpiY(this)));
}

void TarvexMain::buildWindow() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    FrameAllg = new QFrame(central);
    FrameAllg->setObjectName(QStringLiteral("FrameAllg"));
    FrameAllg->setFrameShape(QFrame::NoFrame);

    buildHeader(FrameAllg);
    buildRecordTabs(FrameAllg);
    buildTableArea(FrameAllg);
    buildMenus();
    buildStatusBar();
    connectNavigation();

    layoutTwips = designLayout();
    setBrowseState();
    showSiblingRows(QString());
    applyLayout();
}

void TarvexMain::buildHeader(QWidget* frame) {
    Image1 = new QLabel(frame);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/header_left.png")));
    Image1->setScaledContents(true);
    Image2 = new QLabel(frame);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(QPixmap(QStringLiteral(":/pictures/header_right.png")));
    Image2->setScaledContents(true);
    lblKiga = new QLabel(frame);
    lblKiga->setObjectName(QStringLiteral("lblKiga"));
    lblKiga->setAlignment(Qt::AlignCenter);
    lblKiga->setWordWrap(true);
    QFont f = lblKiga->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    f.setBold(true);
    lblKiga->setFont(f);
}

void TarvexMain::buildTableArea(QWidget* frame) {
    lblAktDS = new QLabel(QStringLiteral("aktueller Datensatz"), frame);
    lblAktDS->setObjectName(QStringLiteral("lblAktDS"));
    lblAktDS->setFrameShape(QFrame::NoFrame);

    cmbBack = new QComboBox(frame);
    cmbBack->setObjectName(QStringLiteral("cmbBack"));
    cmdBack = new QPushButton(QStringLiteral("Zurück <"), frame);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmbForward = new QComboBox(frame);
    cmbForward->setObjectName(QStringLiteral("cmbForward"));
    cmdForward = new QPushButton(QStringLiteral("Vor >"), frame);
    cmdForward->setObjectName(QStringLiteral("cmdForward"));
    Data = new DataControl(frame);
    Data->setCaption(QStringLiteral("aktueller Datensatz : -"));

    DataGrid = new QTableView(frame);
    DataGrid->setObjectName(QStringLiteral("DataGrid"));
    gridModel = new SnapshotModel(this);
    DataGrid->setModel(gridModel);
    DataGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid->setWordWrap(false);
    DataGrid->verticalHeader()->setVisible(false);
    DataGrid->verticalHeader()->setDefaultSectionSize(DataGrid->fontMetrics().height() + 6);
    DataGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DataGrid->horizontalHeader()->setSectionsClickable(false);
    DataGrid->horizontalHeader()->setHighlightSections(false);
    DataGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DataGrid->horizontalHeader()->setStretchLastSection(false);
    connect(DataGrid->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int newSize) {
                if (m_applyingWidths || column < 0)
                    return;
                if (column >= m_columnWidths.size())
                    m_columnWidths.resize(column + 1, 1050);
                m_columnWidths[column] = pixelsToTwipsX(newSize);
            });

    static const char* const searchFields[6] = {"KNach", "KVor", "KGeb", "KGrp", "KEssen", "KOrt"};
    static const char* const searchCaptions[6] = {"Nachname", "Vorname", "geb. am",
                                                  "Gruppe",   "Essen",   "Wohnort"};
    for (int i = 0; i < 6; ++i) {
        lblSuch[i] = new QLabel(QString::fromUtf8(searchCaptions[i]), frame);
        lblSuch[i]->setObjectName(QStringLiteral("lblSuch") + QLatin1String(searchFields[i]));
        txtSuch[i] = new QLineEdit(frame);
        txtSuch[i]->setObjectName(QStringLiteral("txtSuch") + QLatin1String(searchFields[i]));
        txtSuch[i]->setMaxLength(findField(QString::fromLatin1(searchFields[i]))->size + 10);
        lblSuch[i]->setBuddy(txtSuch[i]);
    }
    lblSuchInf = new QLabel(QStringLiteral("Suchmasken - Platzhalter   ein Zeichen -> ?   "
                                           "mehrere Zeichen -> *   Nummer -> #"),
                            frame);
    lblSuchInf->setObjectName(QStringLiteral("lblSuchInf"));

    cmdSucheLoeschen = new QPushButton(QStringLiteral("Suchkriterien löschen"), frame);
    cmdSucheLoeschen->setObjectName(QStringLiteral("cmdSucheLoeschen"));
}

void TarvexMain::buildStatusBar() {
    kMain = new QLabel(this);
    kMain->setObjectName(QStringLiteral("kMain"));
    statusBar()->addWidget(kMain, 1);
    statusBar()->setSizeGripEnabled(true);
}

// Record controls take no input while browsing: the number and every field are read-only
// displays (their text can still be selected and copied).
void TarvexMain::setBrowseState() {
    bool browse = !bDSNeu && !bDSAendern;
    txtNr->setReadOnly(browse);
    for (QLineEdit* e : txtAngaben)
        e->setReadOnly(browse);
    for (QLineEdit* e : txtBerechnung)
        e->setReadOnly(browse);
    txtGAnz->setReadOnly(browse);
    txtBem->setReadOnly(browse);
    chckKEssen->setAttribute(Qt::WA_TransparentForMouseEvents, browse);
    chckKEssen->setFocusPolicy(browse ? Qt::NoFocus : Qt::StrongFocus);
}

void TarvexMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void TarvexMain::Form_Resize() {
    ::Form_Resize(layoutTwips, pixelsToTwipsX(width()), pixelsToTwipsY(height()));
    applyLayout();
}

void TarvexMain::applyLayout() {
    auto place = [this](QWidget* w, const TwipRect& r) {
        w->setGeometry(twipsToPixelsX(r.left), twipsToPixelsY(r.top), twipsToPixelsX(r.width),
                       twipsToPixelsY(r.height));
    };
    const MainLayout& l = layoutTwips;
    place(FrameAllg, l.FrameAllg);
    place(DataGrid, l.DataGrid);
    place(SSTab1, l.SSTab1);
    place(lblAktDS, l.lblAktDS);
    place(cmbBack, l.cmbBack);
    place(cmdBack, l.cmdBack);
    place(cmbForward, l.cmbForward);
    place(cmdForward, l.cmdForward);
    place(Data, l.Data);
    for (int i = 0; i < 6; ++i) {
        place(txtSuch[i], l.txtSuch[i]);
        place(lblSuch[i], l.lblSuch[i]);
    }
    place(lblSuchInf, l.lblSuchInf);
    // The hint and the search captions shrink their type, when they must, to fit the width
    // the layout gives them, so that nothing is cut off or runs into its neighbour.
    fitTextToWidth(lblSuchInf);
    for (QLabel* label : lblSuch)
        fitTextToWidth(label);
    place(cmdSucheLoeschen, l.cmdSucheLoeschen);
    place(Image1, l.Image1);
    place(Image2, l.Image2);
    place(lblKiga, l.lblKiga);
}

void TarvexMain::fitTextToWidth(QLabel* label) {
    QFont f = font();
    const double base = f.pointSizeF() > 0 ? f.pointSizeF() : 9.0;
    double size = base;
    f.setPointSizeF(size);
    while (size > 6.0 && QFontMetrics(f).horizontalAdvance(label->text()) > label->width()) {
        size -= 0.5;
        f.setPointSizeF(size);
    }
    label->setFont(f);
}

void TarvexMain::applyColumnWidths() {
    m_applyingWidths = true;
    int n = gridModel->columnCount();
    for (int c = 0; c < n; ++c) {
        int tw = c < m_columnWidths.size() ? m_columnWidths[c] : 1050;
        DataGrid->setColumnWidth(c, std::max(0, twipsToPixelsX(tw)));
    }
    m_applyingWidths = false;
}

QVector<int> TarvexMain::columnWidthsTwips() const {
    // The table's current columns; the widths remembered by position for the rest.
    int n = gridModel->columnCount();
    if (n == 0)
        n = int(m_columnWidths.size());
    QVector<int> widths;
    for (int c = 0; c < n; ++c)
        widths.append(c < m_columnWidths.size() ? m_columnWidths[c] : 1050);
    return widths;
}

void TarvexMain::showError(const QString& place, int number, const QString& description,
                           const QStringList& closingLines) {
    m_boxes.show(this, MessageBoxes::errorText(place, number, description, closingLines),
                 MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical, QStringLiteral("Fehler"));
}
