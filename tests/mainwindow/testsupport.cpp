#include "testsupport.h"

#include "database.h"
#include "datacontrol.h"
#include "importdialog.h"
#include "infobox.h"
#include "recordfields.h"
#include "restoredialog.h"
#include "twips.h"

#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QTimer>

Record childRecord(int nr, const QString& surname, const QString& firstName, const Record& more) {
    Record r;
    for (const FieldDef& f : fieldTable()) {
        QString name = QString::fromLatin1(f.name);
        if (isTextType(f.type))
            r[name] = QStringLiteral("-");
        else
            r[name] = 0;
    }
    r[QStringLiteral("Nr")] = nr;
    r[QStringLiteral("KNach")] = surname;
    r[QStringLiteral("KVor")] = firstName;
    r[QStringLiteral("KEssen")] = QStringLiteral("nein");
    for (auto it = more.begin(); it != more.end(); ++it)
        r[it.key()] = it.value();
    return r;
}

void createDatabase(const QString& path, const QList<Record>& records) {
    Database::createEmpty(path);
    auto db = Database::open(path);
    auto rs = db->openDynaset(QStringLiteral("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC"));
    for (const Record& r : records) {
        rs->addNew();
        for (auto it = r.begin(); it != r.end(); ++it)
            rs->setField(it.key(), it.value());
        rs->update();
    }
    rs->close();
}

Record storedRecord(const QString& databasePath, int nr) {
    auto db = Database::open(databasePath);
    auto rs = db->openDynaset(QStringLiteral("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC"));
    Record r;
    if (!rs->findFirst(QStringLiteral("Nr = %1").arg(nr)))
        return r;
    const auto values = rs->values();
    for (int f = 0; f < FieldCount; ++f)
        r[QString::fromLatin1(fieldTable()[size_t(f)].name)] = values[size_t(f)];
    return r;
}

QList<int> storedNumbers(const QString& databasePath) {
    auto db = Database::open(databasePath);
    auto rows = db->openSnapshot(QStringLiteral("SELECT Nr FROM Daten ORDER BY Nr"));
    QList<int> numbers;
    for (int r = 0; r < rows->rowCount(); ++r)
        numbers << rows->text(r, 0).toInt();
    return numbers;
}

std::shared_ptr<bool> whenOpen(const char* name, std::function<void(QDialog*)> script) {
    auto opened = std::make_shared<bool>(false);
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String(name))
            return;
        *opened = true;
        QApplication::setActiveWindow(dialog);
        script(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    return opened;
}

namespace {

template <class T> T* child(QObject* window, const QString& name) {
    T* w = window->findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

// A menu's entries in their order, separators included.
QList<QAction*> entries(QObject* window, const QString& menu) {
    return child<QMenu>(window, menu)->actions();
}

} // namespace

WindowView::WindowView(TarvexMain* w) : window(w) {
    txtNr = child<QLineEdit>(w, "txtNr");
    for (int i = 0; i < 56; ++i)
        txtAngaben[size_t(i)] = child<QLineEdit>(w, QStringLiteral("txtAngaben_%1").arg(i));
    for (int i = 0; i < 4; ++i)
        txtBerechnung[size_t(i)] = child<QLineEdit>(w, QStringLiteral("txtBerechnung_%1").arg(i));
    txtGAnz = child<QLineEdit>(w, "txtGAnz");
    txtBem = child<QPlainTextEdit>(w, "txtBem");
    chckKEssen = child<QCheckBox>(w, "chckKEssen");
    cmbKKonf = child<QComboBox>(w, "cmbKKonf");
    cmbKNat = child<QComboBox>(w, "cmbKNat");
    cmbMKonf = child<QComboBox>(w, "cmbMKonf");
    cmbMNat = child<QComboBox>(w, "cmbMNat");
    cmbVKonf = child<QComboBox>(w, "cmbVKonf");
    SSTab1 = child<QTabWidget>(w, "SSTab1");
    DataGrid = child<QTableView>(w, "DataGrid");
    Data = child<DataControl>(w, "Data");
    const char* const search[6] = {"KNach", "KVor", "KGeb", "KGrp", "KEssen", "KOrt"};
    for (int i = 0; i < 6; ++i)
        txtSuch[size_t(i)] = child<QLineEdit>(w, QStringLiteral("txtSuch") + search[i]);
    cmdSucheLoeschen = child<QPushButton>(w, "cmdSucheLoeschen");
    cmdBack = child<QPushButton>(w, "cmdBack");
    cmdForward = child<QPushButton>(w, "cmdForward");
    cmbBack = child<QComboBox>(w, "cmbBack");
    cmbForward = child<QComboBox>(w, "cmbForward");
    kMain = child<QLabel>(w, "kMain");
    lblKiga = child<QLabel>(w, "lblKiga");
    mnuFile = child<QMenu>(w, "mnuFile");
    mnuEdit = child<QMenu>(w, "mnuEdit");
    popMenu1 = child<QMenu>(w, "popMenu1");
    mnuEditSub = entries(w, "mnuEdit");
    mnuDSSub = entries(w, "mnuDS");
    mnuSetupSub = entries(w, "mnuSetup");
    popMenu1Sub = entries(w, "popMenu1");
    for (const MenuDef& def : menuTree())
        for (const MenuEntry& e : def.entries)
            if (!e.separator())
                actions.*(e.action) = child<QAction>(w, e.name);
}

QAbstractItemModel* WindowView::gridModel() const {
    return DataGrid->model();
}

QStringList WindowView::column(int c) const {
    QStringList out;
    for (int r = 0; r < gridModel()->rowCount(); ++r)
        out << gridModel()->index(r, c).data().toString();
    return out;
}

QStringList WindowView::items(const QComboBox* box) const {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QString WindowView::caption() const {
    return Data->caption();
}

InfoBox* WindowView::startScreen() const {
    return window->findChild<InfoBox*>();
}

int WindowView::twipsX(int pixels) const {
    return pixelsToTwips(pixels, window->screen()->logicalDotsPerInchX());
}

int WindowView::pixelsX(int twips) const {
    return twipsToPixels(twips, window->screen()->logicalDotsPerInchX());
}

void WindowView::clickRow(int row, int col) {
    QRect r = DataGrid->visualRect(gridModel()->index(row, col));
    QTest::mouseClick(DataGrid->viewport(), Qt::LeftButton, {}, r.center());
}

void WindowView::pressEnter(QWidget* control) {
    QTest::keyClick(control, Qt::Key_Return);
}

WindowUnderTest::WindowUnderTest(const QString& folder, const QStringList& args,
                                 bool singleInstance, int startScreenMs,
                                 const FileLocations& files) {
    TarvexMain::Options o;
    o.programFolder = folder;
    o.files = files;
    o.arguments = args;
    o.boxes = &boxes;
    o.singleInstance = singleInstance;
    o.startScreenMs = startScreenMs;
    o.printSetup = [this](PrintDialog::Setup& setup) {
        // A PDF printer on A4, whatever printers the machine has.
        setup.printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        setup.printer->setOutputFormat(QPrinter::PdfFormat);
        setup.printer->setPageSize(QPageSize(QPageSize::A4));
        if (printSetup)
            printSetup(setup);
    };
    o.documentsFolder = folder;
    o.clock = [this] { return clock ? clock() : QDateTime::currentDateTime(); };
    window = std::make_unique<TarvexMain>(o);
    view = std::make_unique<WindowView>(window.get());
}

bool WindowUnderTest::start(bool finishStartScreen) {
    if (!window->start())
        return false;
    if (finishStartScreen)
        window->finishStartScreen();
    return true;
}

void WindowUnderTest::close() {
    window->close();
}

QStringList WindowUnderTest::takeBoxes() {
    // Messages about refused input open once the change is done with.
    QCoreApplication::sendPostedEvents();
    const QStringList texts = boxes.texts();
    boxes.shown.clear();
    return texts;
}

void WindowTest::startWith(const QList<Record>& records, const QByteArray& ini,
                           const QStringList& args) {
    folder = std::make_unique<ProgramFolder>();
    createDatabase(db(), records);
    if (!ini.isEmpty())
        folder->write("Tarvex.ini", ini);
    w = std::make_unique<WindowUnderTest>(folder->path(), args);
    QVERIFY(w->start());
    w->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->window.get()));
    QApplication::setActiveWindow(w->window.get());
}

void WindowTest::cleanup() {
    if (w && w->window) {
        w->boxes.answers = {MessageBoxes::Answer::No};
        w->close();
    }
    w.reset();
    folder.reset();
}
