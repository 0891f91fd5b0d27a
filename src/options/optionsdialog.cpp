#include "optionsdialog.h"

#include "inifile.h"
#include "marginbox.h"
#include "messageboxes.h"
#include "tarvexresources.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

QLabel* picture(const QString& name, const QString& path, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(QPixmap(path));
    return label;
}

// Two pictures in one place, of which only one is shown at a time.
QWidget* pictureCell(QLabel* first, QLabel* second, QWidget* parent) {
    auto* cell = new QWidget(parent);
    auto* grid = new QGridLayout(cell);
    grid->setContentsMargins(0, 0, 0, 0);
    first->setParent(cell);
    second->setParent(cell);
    grid->addWidget(first, 0, 0, Qt::AlignCenter);
    grid->addWidget(second, 0, 0, Qt::AlignCenter);
    return cell;
}

QGroupBox* frame(const QString& name, const QString& caption, QWidget* parent) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QLabel* label(const QString& name, const QString& caption, QWidget* parent) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

// The name a chosen font is kept under: a font shown under another family's name (Arial served
// by a metric twin, say) keeps its own name when the user takes it as it was offered, so the
// settings still name the font the lists were set up with.
QString keptFontName(const QString& before, const QString& chosenFamily) {
    if (chosenFamily.compare(before, Qt::CaseInsensitive) == 0)
        return before;
    return QFontInfo(QFont(before)).family() == chosenFamily ? before : chosenFamily;
}

} // namespace

OptionsDialog::OptionsDialog(const Settings& settings, int tab, MessageBoxes& boxes,
                             QWidget* parent)
    : QDialog(parent), m_model(settings), m_boxes(boxes) {
    setObjectName(QStringLiteral("Options"));
    setWindowTitle(QStringLiteral("Einstellungen"));
    setModal(true);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab"));
    m_tabs->setAccessibleName(QStringLiteral("Einstellungen"));
    m_tabs->addTab(buildTableTab(), QStringLiteral("Datentabelle"));
    m_tabs->addTab(buildPageTab(), QStringLiteral("Seitenlayout"));
    m_tabs->addTab(buildAddressTab(), QStringLiteral("Anschrift"));

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdApply = new QPushButton(QStringLiteral("Übernehmen"), this);
    m_cmdApply->setObjectName(QStringLiteral("cmdApply"));
    m_cmdCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdApply);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    m_margins[OptionsValues::ColumnGap]->setEnterTarget(m_cmdOK);
    connect(m_cmdOK, &QPushButton::clicked, this, [this] {
        // A margin being typed counts as if its box had been left.
        for (MarginBox* box : m_margins)
            box->interpretText();
        if (m_model.isChanged(values()))
            apply();
        accept();
    });
    connect(m_cmdApply, &QPushButton::clicked, this, &OptionsDialog::apply);
    connect(m_cmdCancel, &QPushButton::clicked, this, &OptionsDialog::reject);

    display(m_model.applied());
    updateApply();
    if (tab >= 0 && tab < m_tabs->count())
        m_tabs->setCurrentIndex(tab);
}

QWidget* OptionsDialog::buildTableTab() {
    static const char* const captions[16] = {
        "Konfession",  "Nationalität", "Adresse",        "Telefon 1",
        "Telefon 2",   "Telefon Arzt", "Name",           "Arbeitgeber",
        "Telefon 1",   "Telefon 2",    "Telefon Arbeit", "Name",
        "Arbeitgeber", "Telefon 1",    "Telefon 2",      "Telefon Arbeit"};
    auto* page = new QWidget;
    for (int i = 0; i < 16; ++i) {
        m_chckTab[size_t(i)] = new QCheckBox(QString::fromUtf8(captions[i]), page);
        m_chckTab[size_t(i)]->setObjectName(QStringLiteral("chckTab_%1").arg(i));
        connect(m_chckTab[size_t(i)], &QCheckBox::toggled, this, &OptionsDialog::updateApply);
    }
    QGroupBox* child = frame(QStringLiteral("fraTabKind"), QStringLiteral("Zusatz Kind"), page);
    auto* childColumn = new QVBoxLayout(child);
    for (int i = 0; i < 6; ++i)
        childColumn->addWidget(m_chckTab[size_t(i)]);
    childColumn->addStretch(1);

    QGroupBox* parents =
        frame(QStringLiteral("fraTabEltern"), QStringLiteral("Zusatz Eltern"), page);
    auto* grid = new QGridLayout(parents);
    grid->addWidget(label(QStringLiteral("lbl1"), QStringLiteral("Angaben Mutter"), parents), 0, 0);
    grid->addWidget(label(QStringLiteral("lbl2"), QStringLiteral("Angaben Vater"), parents), 0, 1);
    for (int i = 0; i < 5; ++i) {
        grid->addWidget(m_chckTab[size_t(6 + i)], i + 1, 0);
        grid->addWidget(m_chckTab[size_t(11 + i)], i + 1, 1);
        // The two columns carry the same captions: the names say whose they are.
        m_chckTab[size_t(6 + i)]->setAccessibleName(QStringLiteral("Mutter ") +
                                                    m_chckTab[size_t(6 + i)]->text());
        m_chckTab[size_t(11 + i)]->setAccessibleName(QStringLiteral("Vater ") +
                                                     m_chckTab[size_t(11 + i)]->text());
    }
    grid->setRowStretch(6, 1);

    auto* layout = new QHBoxLayout(page);
    layout->addWidget(child);
    layout->addWidget(parents, 2);
    return page;
}

QWidget* OptionsDialog::buildPageTab() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    layout->addWidget(buildFontFrame(), 0, 0, 1, 2);
    layout->addWidget(buildMarginFrame(), 1, 0);
    layout->addWidget(buildOrientationFrame(), 1, 1);
    layout->setColumnStretch(0, 1);
    return page;
}

QWidget* OptionsDialog::buildFontFrame() {
    QGroupBox* box =
        frame(QStringLiteral("frmSchrift"), QStringLiteral("Schriftarten der Tabelle"), nullptr);
    auto* grid = new QGridLayout(box);
    const QString captions[2] = {QStringLiteral("Einträge:"), QStringLiteral("Überschrift:")};
    for (int row = 0; row < 2; ++row) {
        const QString n = QString::number(row + 1);
        FontRow& r = m_fonts[size_t(row)];
        grid->addWidget(label(QStringLiteral("lblSchr") + n, captions[row], box), row, 0);
        r.name = label(QStringLiteral("lblSchrift") + n, QString(), box);
        r.size = label(QStringLiteral("lblSchriftGr") + n, QString(), box);
        for (QLabel* l : {r.name, r.size}) {
            // A click on the font's name or size opens the font dialog too.
            l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            l->setCursor(Qt::PointingHandCursor);
            l->installEventFilter(this);
        }
        r.name->setMinimumWidth(r.name->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 24);
        r.size->setAlignment(Qt::AlignCenter);
        r.size->setMinimumWidth(r.size->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 5);
        r.boldOn =
            picture(QStringLiteral("picF%1true").arg(n), TarvexResources::boldPicture(true), box);
        r.boldOff =
            picture(QStringLiteral("picF%1false").arg(n), TarvexResources::boldPicture(false), box);
        r.italicOn =
            picture(QStringLiteral("picK%1true").arg(n), TarvexResources::italicPicture(true), box);
        r.italicOff = picture(QStringLiteral("picK%1false").arg(n),
                              TarvexResources::italicPicture(false), box);
        // The marks and the button say which font they belong to.
        const QString which = captions[row].chopped(1);
        r.boldOn->setAccessibleName(which + QStringLiteral(" fett"));
        r.boldOff->setAccessibleName(which + QStringLiteral(" nicht fett"));
        r.italicOn->setAccessibleName(which + QStringLiteral(" kursiv"));
        r.italicOff->setAccessibleName(which + QStringLiteral(" nicht kursiv"));
        r.choose = new QPushButton(QStringLiteral("..."), box);
        r.choose->setObjectName(QStringLiteral("cmdFont") + n);
        r.choose->setAccessibleName(which + QStringLiteral(" Schriftart wählen"));
        r.choose->setMaximumWidth(r.choose->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 5);
        connect(r.choose, &QPushButton::clicked, this, [this, row] { chooseFont(row); });
        grid->addWidget(r.name, row, 1);
        grid->addWidget(r.size, row, 2);
        grid->addWidget(pictureCell(r.boldOn, r.boldOff, box), row, 3);
        grid->addWidget(pictureCell(r.italicOn, r.italicOff, box), row, 4);
        grid->addWidget(r.choose, row, 5);
    }
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* OptionsDialog::buildMarginFrame() {
    QGroupBox* box = frame(QStringLiteral("frmRaender"), QStringLiteral("Seitenränder"), nullptr);
    struct Row {
        const char* label;
        const char* caption;
        const char* text;
        const char* spin;
    };
    // In the order of OptionsValues::Margin, which is also the order Enter walks.
    static const Row rows[OptionsValues::MarginCount] = {
        {"lblLi", "Links:", "txtLi", "UpDownLi"},
        {"lblRe", "Rechts:", "txtRe", "UpDownRe"},
        {"lblOb", "Oben:", "txtOb", "UpDownOb"},
        {"lblUn", "Unten:", "txtUn", "UpDownUn"},
        {"lblAbst", "Abstand zwischen Spalten:", "txtAbst", "UpDownAbst"},
    };
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < OptionsValues::MarginCount; ++i) {
        const Row& r = rows[i];
        auto* margin = new MarginBox(QString::fromLatin1(r.spin), QString::fromLatin1(r.text), box);
        m_margins[size_t(i)] = margin;
        connect(margin, &MarginBox::valueChanged, this, &OptionsDialog::updateApply);
        connect(margin, &MarginBox::textTyped, this, &OptionsDialog::updateApply);
        QLabel* caption = label(QString::fromLatin1(r.label), QString::fromUtf8(r.caption), box);
        caption->setBuddy(margin);
        // Links and Rechts side by side, Oben and Unten below them, the gap in a row of its own.
        const int gridRow = i / 2;
        const int gridColumn = i == OptionsValues::ColumnGap ? 0 : (i % 2) * 2;
        if (i == OptionsValues::ColumnGap) {
            grid->addWidget(caption, gridRow, 0, 1, 3, Qt::AlignRight);
            grid->addWidget(margin, gridRow, 3);
        } else {
            grid->addWidget(caption, gridRow, gridColumn, Qt::AlignRight);
            grid->addWidget(margin, gridRow, gridColumn + 1);
        }
    }
    for (int i = 0; i < OptionsValues::ColumnGap; ++i)
        m_margins[size_t(i)]->setEnterTarget(m_margins[size_t(i + 1)]);
    return box;
}

QWidget* OptionsDialog::buildOrientationFrame() {
    QGroupBox* box =
        frame(QStringLiteral("frmAusrichtung"), QStringLiteral("Ausrichtung"), nullptr);
    m_optHoch = new QRadioButton(QStringLiteral("Hochformat"), box);
    m_optHoch->setObjectName(QStringLiteral("optHoch"));
    m_optQuer = new QRadioButton(QStringLiteral("Querformat"), box);
    m_optQuer->setObjectName(QStringLiteral("optQuer"));
    m_imgHoch = picture(QStringLiteral("imgHoch"), TarvexResources::portraitPicture(), box);
    m_imgQuer = picture(QStringLiteral("imgQuer"), TarvexResources::landscapePicture(), box);
    connect(m_optHoch, &QRadioButton::toggled, this, [this](bool portrait) {
        showOrientation(portrait);
        updateApply();
    });
    auto* layout = new QGridLayout(box);
    layout->addWidget(m_optHoch, 0, 0);
    layout->addWidget(m_optQuer, 1, 0);
    layout->addWidget(pictureCell(m_imgHoch, m_imgQuer, box), 0, 1, 2, 1);
    layout->setRowStretch(2, 1);
    return box;
}

QWidget* OptionsDialog::buildAddressTab() {
    auto* page = new QWidget;
    QGroupBox* box = frame(QStringLiteral("frmAdresse"), QStringLiteral("Anschrift"), page);
    static const char* const fields[OptionsValues::AddressCount][3] = {
        {"lblName", "Name :", "txtName"},     {"lblStr", "Strasse :", "txtStr"},
        {"lblOrt", "PLZ / Ort :", "txtOrt"},  {"lblTel", "Telefonnr. :", "txtTel"},
        {"lblEmail", "E-mail :", "txtEmail"},
    };
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < OptionsValues::AddressCount; ++i) {
        auto* edit = new QLineEdit(box);
        edit->setObjectName(QString::fromLatin1(fields[i][2]));
        // The settings file keeps no more of a value than this.
        edit->setMaxLength(IniFile::MaxValueLength);
        connect(edit, &QLineEdit::textChanged, this, &OptionsDialog::updateApply);
        m_address[size_t(i)] = edit;
        QLabel* caption =
            label(QString::fromLatin1(fields[i][0]), QString::fromUtf8(fields[i][1]), box);
        caption->setBuddy(edit);
        grid->addWidget(caption, i, 0);
        grid->addWidget(edit, i, 1);
    }
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addStretch(1);
    return page;
}

void OptionsDialog::showEvent(QShowEvent* event) {
    // In the middle of the screen (of the window that opened it), at the size its contents need.
    QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (screen && !event->spontaneous()) {
        const QRect area = screen->geometry();
        const QSize outer = frameGeometry().size();
        move(area.x() + (area.width() - outer.width()) / 2,
             area.y() + (area.height() - outer.height()) / 2);
    }
    QDialog::showEvent(event);
}

void OptionsDialog::display(const OptionsValues& v) {
    for (size_t i = 0; i < m_chckTab.size(); ++i)
        m_chckTab[i]->setChecked(v.columns[i]);
    (v.portrait ? m_optHoch : m_optQuer)->setChecked(true);
    showOrientation(v.portrait);
    for (size_t i = 0; i < m_margins.size(); ++i)
        m_margins[i]->setValue(v.margins[i]);
    showFont(0, v.entryFont);
    showFont(1, v.headingFont);
    for (size_t i = 0; i < m_address.size(); ++i)
        m_address[i]->setText(v.address[i]);
}

void OptionsDialog::showFont(int row, const ListFont& font) {
    FontRow& r = m_fonts[size_t(row)];
    r.font = font;
    r.name->setText(font.name);
    r.size->setText(QString::number(font.size));
    r.boldOn->setVisible(font.bold);
    r.boldOff->setVisible(!font.bold);
    r.italicOn->setVisible(font.italic);
    r.italicOff->setVisible(!font.italic);
}

void OptionsDialog::showOrientation(bool portrait) {
    m_imgHoch->setVisible(portrait);
    m_imgQuer->setVisible(!portrait);
}

void OptionsDialog::chooseFont(int row) {
    const ListFont before = m_fonts[size_t(row)].font;
    // The dialog lists installed families only: a name served by another family (Arial by its
    // metric twin) is offered as that family, not as the dialog's own default.
    QFont initial(QFontInfo(QFont(before.name)).family());
    initial.setPointSize(before.size);
    initial.setBold(before.bold);
    initial.setItalic(before.italic);
    QFontDialog dialog(initial, this);
    // Qt's own dialog, in German like the rest of the program; only fonts that scale, as the
    // lists are printed at any size.
    dialog.setOptions(QFontDialog::ScalableFonts | QFontDialog::DontUseNativeDialog);
    m_boxes.run(dialog);
    if (dialog.result() == QDialog::Accepted) {
        const QFont chosen = dialog.selectedFont();
        ListFont font;
        font.name = keptFontName(before.name, chosen.family());
        font.size = int(std::clamp(std::nearbyint(chosen.pointSizeF()), 1.0, 1000.0));
        font.bold = chosen.bold();
        font.italic = chosen.italic();
        showFont(row, font);
        updateApply();
    }
    m_cmdOK->setFocus(Qt::OtherFocusReason);
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int row = 0; row < 2; ++row)
            if (watched == m_fonts[size_t(row)].name || watched == m_fonts[size_t(row)].size) {
                chooseFont(row);
                return true;
            }
    }
    return QDialog::eventFilter(watched, event);
}

OptionsValues OptionsDialog::values() const {
    OptionsValues v;
    for (size_t i = 0; i < m_chckTab.size(); ++i)
        v.columns[i] = m_chckTab[i]->isChecked();
    v.entryFont = m_fonts[0].font;
    v.headingFont = m_fonts[1].font;
    for (size_t i = 0; i < m_margins.size(); ++i)
        v.margins[i] = m_margins[i]->pendingValue();
    v.portrait = m_optHoch->isChecked();
    for (size_t i = 0; i < m_address.size(); ++i)
        v.address[i] = m_address[i]->text();
    return v;
}

void OptionsDialog::updateApply() {
    // Called while the controls are being built, before the button exists.
    if (m_cmdApply)
        m_cmdApply->setEnabled(m_model.isChanged(values()));
}

void OptionsDialog::apply() {
    for (MarginBox* box : m_margins)
        box->interpretText();
    emit applied(m_model.apply(values()));
    updateApply();
}
