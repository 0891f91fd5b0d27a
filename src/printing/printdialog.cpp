#include "printdialog.h"

#include "copycount.h"
#include "engineerror.h"
#include "listdocument.h"
#include "listprogress.h"
#include "messageboxes.h"
#include "printlists.h"
#include "printpreview.h"
#include "tarvexresources.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The hourglass over the program while a list is made; given back before anything is shown.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { release(); }
    void release() {
        if (m_active)
            QApplication::restoreOverrideCursor();
        m_active = false;
    }

  private:
    bool m_active = true;
};

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    // Enter presses the button that has the focus and no other (keyPressEvent).
    b->setAutoDefault(false);
    return b;
}

} // namespace

PrintDialog::PrintDialog(Setup setup, QWidget* parent)
    : QDialog(parent), m_setup(std::move(setup)), m_printer(m_setup.printer) {
    Q_ASSERT(m_setup.database != nullptr && m_setup.boxes != nullptr);
    setObjectName(QStringLiteral("PrintDialog"));
    setWindowTitle(QStringLiteral("Drucken ..."));
    if (!m_printer) {
        m_printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        // Without a printer of the system's the sheet is A4, as a German office expects.
        if (m_printer->outputFormat() == QPrinter::PdfFormat)
            m_printer->setPageSize(QPageSize(QPageSize::A4));
    }

    m_cmdPrint = button(QStringLiteral("Drucken"), "cmdPrint", this);
    m_cmdPreview = button(QStringLiteral("Voransicht"), "cmdPreview", this);
    m_cmdPdf = button(QStringLiteral("Als PDF speichern..."), "cmdPdf", this);
    m_cmdCancel = button(QStringLiteral("Abbrechen"), "cmdCancel", this);
    connect(m_cmdPrint, &QPushButton::clicked, this, &PrintDialog::cmdPrint_Click);
    connect(m_cmdPreview, &QPushButton::clicked, this, &PrintDialog::cmdPreview_Click);
    connect(m_cmdPdf, &QPushButton::clicked, this, &PrintDialog::cmdPdf_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(buildListFrame(), 0, 0);
    grid->addWidget(buildOrientationFrame(), 0, 1);
    grid->addWidget(buildCopiesFrame(), 1, 0);
    grid->addWidget(buildSettingsFrame(), 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdPrint);
    buttons->addWidget(m_cmdPreview);
    buttons->addWidget(m_cmdPdf);
    buttons->addStretch();
    buttons->addWidget(m_cmdCancel);
    grid->addLayout(buttons, 2, 0, 1, 2);

    // Opening: the orientation in the settings, one copy, the first list.
    showHochformat();
    m_txtAnzahl->setText(QStringLiteral("1"));
    m_optListe[0]->setChecked(true);
}

PrintDialog::~PrintDialog() = default;

QGroupBox* PrintDialog::buildListFrame() {
    auto* frame = new QGroupBox(QStringLiteral("zu druckende Liste"), this);
    frame->setObjectName(QStringLiteral("frmListe"));
    auto* layout = new QVBoxLayout(frame);
    for (size_t i = 0; i < m_optListe.size(); ++i) {
        m_optListe[i] = new QRadioButton(QString::fromUtf8(printLists()[i].title), frame);
        m_optListe[i]->setObjectName(QStringLiteral("optListe%1").arg(i + 1));
        layout->addWidget(m_optListe[i]);
    }
    return frame;
}

QGroupBox* PrintDialog::buildOrientationFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Ausrichtung"), this);
    frame->setObjectName(QStringLiteral("frmAusrichtung"));
    m_optHoch = new QRadioButton(QStringLiteral("Hochformat"), frame);
    m_optHoch->setObjectName(QStringLiteral("optHoch"));
    m_optQuer = new QRadioButton(QStringLiteral("Querformat"), frame);
    m_optQuer->setObjectName(QStringLiteral("optQuer"));
    m_imgHoch = new QLabel(frame);
    m_imgHoch->setObjectName(QStringLiteral("imgHoch"));
    m_imgHoch->setPixmap(QPixmap(TarvexResources::portraitPicture()));
    m_imgQuer = new QLabel(frame);
    m_imgQuer->setObjectName(QStringLiteral("imgQuer"));
    m_imgQuer->setPixmap(QPixmap(TarvexResources::landscapePicture()));
    for (QLabel* img : {m_imgHoch, m_imgQuer}) {
        img->setFixedSize(52, 52);
        img->setAlignment(Qt::AlignCenter);
    }
    auto* layout = new QGridLayout(frame);
    layout->addWidget(m_optHoch, 0, 0);
    layout->addWidget(m_optQuer, 1, 0);
    layout->addWidget(m_imgHoch, 0, 1, 2, 1);
    layout->addWidget(m_imgQuer, 0, 1, 2, 1);
    connect(m_optHoch, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setHochformat(true);
    });
    connect(m_optQuer, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setHochformat(false);
    });
    return frame;
}

QGroupBox* PrintDialog::buildCopiesFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Anzahl Exemplare"), this);
    frame->setObjectName(QStringLiteral("frmAnzahl"));
    m_txtAnzahl = new QLineEdit(frame);
    m_txtAnzahl->setObjectName(QStringLiteral("txtAnzahl"));
    m_txtAnzahl->setFixedWidth(m_txtAnzahl->fontMetrics().horizontalAdvance(QStringLiteral("000")) +
                               16);
    m_txtAnzahl->installEventFilter(this);

    // UpDown: one up or down from the number in the box, within 1 to 99.
    m_upDown = new QWidget(frame);
    m_upDown->setObjectName(QStringLiteral("UpDown"));
    auto* arrows = new QVBoxLayout(m_upDown);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    for (int by : {1, -1}) {
        auto* arrow = new QToolButton(m_upDown);
        arrow->setObjectName(by > 0 ? QStringLiteral("UpDownUp") : QStringLiteral("UpDownDown"));
        arrow->setArrowType(by > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setFixedSize(18, 12);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRepeat(true);
        connect(arrow, &QToolButton::clicked, this,
                [this, by] { m_txtAnzahl->setText(CopyCount::step(m_txtAnzahl->text(), by)); });
        arrows->addWidget(arrow);
    }
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(m_txtAnzahl);
    layout->addWidget(m_upDown);
    layout->addStretch();
    return frame;
}

QGroupBox* PrintDialog::buildSettingsFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Einstellungen"), this);
    frame->setObjectName(QStringLiteral("frmOptions"));
    m_cmdDruckenOption = button(QStringLiteral("Seitenlayout"), "cmdDruckenOption", frame);
    m_cmdPrnSetup = button(QStringLiteral("Druckereinrichten"), "cmdPrnSetup", frame);
    m_cmdDruckenOption->setEnabled(bool(m_setup.openPageLayout));
    connect(m_cmdDruckenOption, &QPushButton::clicked, this, &PrintDialog::cmdDruckenOption_Click);
    connect(m_cmdPrnSetup, &QPushButton::clicked, this, &PrintDialog::cmdPrnSetup_Click);
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(m_cmdDruckenOption);
    layout->addWidget(m_cmdPrnSetup);
    return frame;
}

int PrintDialog::chosenList() const {
    for (size_t i = 0; i < m_optListe.size(); ++i)
        if (m_optListe[i]->isChecked())
            return int(i);
    return 0;
}

// The orientation is no state of the dialog: it goes into the settings at once, and holds when
// the dialog is then cancelled.
void PrintDialog::setHochformat(bool portrait) {
    const bool changed = m_setup.settings.Hochformat != portrait;
    m_setup.settings.Hochformat = portrait;
    showHochformat();
    if (changed)
        emit hochformatChanged(portrait);
}

void PrintDialog::showHochformat() {
    const bool portrait = m_setup.settings.Hochformat;
    (portrait ? m_optHoch : m_optQuer)->setChecked(true);
    m_imgHoch->setVisible(portrait);
    m_imgQuer->setVisible(!portrait);
}

void PrintDialog::cmdPrnSetup_Click() {
    if (!hasPrinter()) {
        tell(QStringLiteral("Es ist kein Drucker eingerichtet."), MessageBoxes::Icon::Information);
        return;
    }
    m_printer->setPageOrientation(m_setup.settings.Hochformat ? QPageLayout::Portrait
                                                              : QPageLayout::Landscape);
    QPageSetupDialog dialog(m_printer.get(), this);
    m_setup.boxes->run(dialog);
    // Confirmed or cancelled, the orientation the set-up shows is taken.
    setHochformat(m_printer->pageLayout().orientation() == QPageLayout::Portrait);
}

void PrintDialog::cmdDruckenOption_Click() {
    if (!m_setup.openPageLayout)
        return;
    const bool before = m_setup.settings.Hochformat;
    m_setup.settings = m_setup.openPageLayout();
    showHochformat();
    if (m_setup.settings.Hochformat != before)
        emit hochformatChanged(m_setup.settings.Hochformat);
}

int PrintDialog::txtAnzahl_LostFocus() {
    const CopyCount::Checked checked = CopyCount::check(m_txtAnzahl->text());
    if (m_txtAnzahl->text() != checked.text)
        m_txtAnzahl->setText(checked.text);
    if (!checked.tooLarge)
        return checked.count;
    tell(QStringLiteral("Der Wert ist zu groß.\r\rEs können nur max. 99 Seiten eingegeben werden."),
         MessageBoxes::Icon::Information);
    m_txtAnzahl->setFocus();
    return 0;
}

bool PrintDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_txtAnzahl)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        // After a click has placed the cursor, so that the whole number stays selected.
        QTimer::singleShot(0, m_txtAnzahl, &QLineEdit::selectAll);
        break;
    case QEvent::FocusOut: {
        // Switching to another window or opening the box's menu does not leave the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            txtAnzahl_LostFocus();
        break;
    }
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            m_cmdPreview->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (key->key() == Qt::Key_Backspace)
            break;
        // Typed characters only; shortcuts such as Ctrl+V and the moving keys pass.
        const QString text = key->text();
        if (text.isEmpty() || !text.at(0).isPrint() ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            break;
        if (!CopyCount::keyAllowed(m_txtAnzahl->text(), text.at(0)))
            return true;
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void PrintDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget()))
            focused->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool PrintDialog::hasPrinter() const {
    if (m_setup.printerAvailable)
        return m_setup.printerAvailable();
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

// A box shown while a list is made has the normal pointer, and no progress behind it.
void PrintDialog::tell(const QString& text, MessageBoxes::Icon icon, const QString& title) {
    m_progress.reset();
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    m_setup.boxes->show(this, text, MessageBoxes::Buttons::Ok, icon, title);
    QApplication::restoreOverrideCursor();
}

PageGeometry PrintDialog::pageGeometry() {
    m_printer->setPageOrientation(m_setup.settings.Hochformat ? QPageLayout::Portrait
                                                              : QPageLayout::Landscape);
    return PageGeometry::of(m_printer->pageLayout());
}

std::unique_ptr<ListDocument> PrintDialog::prepare(const PageGeometry& geometry) {
    const PrintList& list = printLists()[size_t(chosenList())];
    std::unique_ptr<ListRows> rows;
    try {
        rows = readListRows(*m_setup.database, list);
    } catch (const EngineError& e) {
        tell(MessageBoxes::errorText(QStringLiteral("PrintDialog.Tabelle_drucken"), e.number(),
                                     e.description()),
             MessageBoxes::Icon::Critical, QStringLiteral("Fehler"));
        return nullptr;
    }
    m_progress = std::make_unique<ListProgress>(this, rows->rowCount(), m_setup.boxes);
    ListProgress* p = m_progress.get();
    auto document = std::make_unique<ListDocument>(
        std::move(rows), list, m_setup.settings, geometry,
        QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")),
        [p](int done, int total) { return p->planning(done, total); });
    switch (document->result()) {
    case ListPlan::Result::Pages:
        return document;
    case ListPlan::Result::NoRoom:
        tell(QStringLiteral("Die Seitenränder und Schriften lassen unter dem Seitenkopf keinen "
                            "Platz für eine Zeile der Liste.\r\rBitte ändern Sie das "
                            "Seitenlayout oder die Druckereinrichtung."),
             MessageBoxes::Icon::Warning);
        return nullptr;
    case ListPlan::Result::TooWide:
        tell(QStringLiteral("Die Spalten der Liste passen auch gekürzt nicht zwischen die "
                            "Seitenränder.\r\rBitte wählen Sie das Querformat oder ändern Sie "
                            "im Seitenlayout die Ränder, den Spaltenabstand oder die Schrift."),
             MessageBoxes::Icon::Warning);
        return nullptr;
    case ListPlan::Result::Cancelled:
        break;
    }
    return nullptr;
}

void PrintDialog::cmdPrint_Click() {
    const int copies = txtAnzahl_LostFocus();
    if (copies == 0)
        return;
    if (!hasPrinter()) {
        if (m_setup.boxes->show(this,
                                QStringLiteral("Es ist kein Drucker eingerichtet.\r\rMöchten Sie "
                                               "die Liste stattdessen als PDF-Datei speichern?"),
                                MessageBoxes::Buttons::YesNo,
                                MessageBoxes::Icon::Question) == MessageBoxes::Answer::Yes)
            savePdf();
        return;
    }
    BusyCursor busy;
    const auto progressDone = qScopeGuard([this] { m_progress.reset(); });
    const std::unique_ptr<ListDocument> document = prepare(pageGeometry());
    if (!document)
        return;
    const int pages = document->pageCount();
    m_printer->setDocName(document->title());
    // Every copy is a print job of its own, numbered from page 1.
    for (int copy = 1; copy <= copies; ++copy) {
        if (m_setup.beforeJob)
            m_setup.beforeJob(*m_printer, copy);
        const int before = (copy - 1) * pages;
        int sent = 0;
        const OutputResult result = printJob(
            *document, *m_printer,
            [&](int done, int) { return m_progress->pages(before + done, copies * pages); }, &sent);
        if (result == OutputResult::Cancelled) {
            // The print system cannot take back what it was given.
            if (sent > 0) {
                tell(QStringLiteral("Der Druck wurde abgebrochen.\r\rDie Seiten 1 bis %1 dieses "
                                    "Exemplars waren schon an den Drucker gegeben und werden "
                                    "noch gedruckt.")
                         .arg(sent),
                     MessageBoxes::Icon::Information);
            }
            return;
        }
        if (result == OutputResult::Failed) {
            QString text = QStringLiteral("Die Liste konnte nicht gedruckt werden.\r\rBitte "
                                          "prüfen Sie, ob der Drucker bereit und richtig "
                                          "eingerichtet ist.");
            if (copy > 1)
                text += QStringLiteral("\r\rGedruckt wurden %1 von %2 Exemplaren.")
                            .arg(copy - 1)
                            .arg(copies);
            tell(text, MessageBoxes::Icon::Warning);
            return;
        }
    }
}

void PrintDialog::cmdPreview_Click() {
    BusyCursor busy;
    const std::unique_ptr<ListDocument> document = prepare(pageGeometry());
    m_progress.reset();
    if (!document)
        return;
    PrintPreview preview(*document, this);
    busy.release();
    m_setup.boxes->run(preview);
}

void PrintDialog::cmdPdf_Click() {
    savePdf();
}

void PrintDialog::savePdf() {
    const QString title = QString::fromUtf8(printLists()[size_t(chosenList())].title);
    const std::optional<QString> path = askPdfPath(
        this, QStringLiteral("Liste als PDF-Datei speichern"), QStringLiteral("PdfFileDialog"),
        m_setup.documentsFolder, title + QStringLiteral(".pdf"), *m_setup.boxes);
    if (!path)
        return;

    BusyCursor busy;
    const auto progressDone = qScopeGuard([this] { m_progress.reset(); });
    const std::unique_ptr<ListDocument> document = prepare(pageGeometry());
    if (!document)
        return;
    const OutputResult result = ::savePdf(
        *document, *path, [&](int done, int total) { return m_progress->pages(done, total); });
    if (result == OutputResult::Failed)
        tell(MessageBoxes::notWrittenText(*path), MessageBoxes::Icon::Warning);
}
