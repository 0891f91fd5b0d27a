// The record form: the tab control SSTab1 with the tabs "Kind", "Eltern" and
// "Geschwister / Bem.", one control per field of the record, each with its caption from the
// field table.

#include "fieldtable.h"
#include "tarvexmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString labelName(const FieldDef& f) {
    // The booking factor's label carries a shorter name than its field.
    if (qstrcmp(f.name, "KBuchFak") == 0)
        return QStringLiteral("lblBuchfak");
    return QStringLiteral("lbl") + QString::fromLatin1(f.name);
}

QLabel* captionFor(const FieldDef& f, QWidget* parent) {
    auto* l = new QLabel(QString::fromUtf8(f.caption), parent);
    l->setObjectName(labelName(f));
    return l;
}

const FieldDef& fieldOfDetail(int index) {
    return *detailField(index);
}

QGridLayout* compactGrid(QWidget* w) {
    auto* g = new QGridLayout(w);
    g->setContentsMargins(8, 6, 8, 6);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(3);
    return g;
}

} // namespace

void TarvexMain::buildRecordTabs(QWidget* frame) {
    SSTab1 = new QTabWidget(frame);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(buildChildTab(), QStringLiteral("Kind"));
    SSTab1->addTab(buildParentsTab(), QStringLiteral("Eltern"));
    SSTab1->addTab(buildSiblingsTab(), QStringLiteral("Geschwister / Bem."));
}

// Places txtAngaben[index] with its caption at (row, column) of a four-column grid; span 3
// lets a long field take the whole width.
static QLineEdit* placeDetail(std::array<QLineEdit*, 56>& boxes, int index, QWidget* parent,
                              QGridLayout* g, int row, int column, int span = 1) {
    const FieldDef& f = fieldOfDetail(index);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("txtAngaben_%1").arg(index));
    // The box holds at most what the column can store, so saving can never fail on length.
    edit->setMaxLength(f.size);
    boxes[index] = edit;
    g->addWidget(captionFor(f, parent), row, column);
    g->addWidget(edit, row, column + 1, 1, span);
    return edit;
}

static QComboBox* choiceBox(const QString& name, QWidget* parent, QGridLayout* g, int row,
                            int column) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(true);
    c->lineEdit()->setMaxLength(20);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setVisible(false); // shown only while a record is being entered or changed
    g->addWidget(c, row, column + 1);
    return c;
}

QWidget* TarvexMain::buildChildTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabKind"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(6);

    auto* top = new QHBoxLayout;
    const FieldDef& nr = fieldTable()[0];
    top->addWidget(captionFor(nr, page));
    txtNr = new QLineEdit(page);
    txtNr->setObjectName(QStringLiteral("txtNr"));
    txtNr->setMaxLength(10);
    txtNr->setMaximumWidth(90);
    top->addWidget(txtNr);
    top->addStretch(1);
    v->addLayout(top);

    auto* box = new QGroupBox(QStringLiteral("Angaben Kind"), page);
    box->setObjectName(QStringLiteral("frmKind"));
    auto* g = compactGrid(box);
    placeDetail(txtAngaben, 0, box, g, 0, 0, 3);
    placeDetail(txtAngaben, 1, box, g, 1, 0, 3);
    placeDetail(txtAngaben, 2, box, g, 2, 0);
    placeDetail(txtAngaben, 3, box, g, 2, 2);
    placeDetail(txtAngaben, 4, box, g, 3, 0);
    cmbKKonf = choiceBox(QStringLiteral("cmbKKonf"), box, g, 3, 0);
    placeDetail(txtAngaben, 5, box, g, 3, 2);
    cmbKNat = choiceBox(QStringLiteral("cmbKNat"), box, g, 3, 2);
    placeDetail(txtAngaben, 6, box, g, 4, 0, 3);
    placeDetail(txtAngaben, 7, box, g, 5, 0);
    placeDetail(txtAngaben, 8, box, g, 5, 2);
    placeDetail(txtAngaben, 9, box, g, 6, 0);
    placeDetail(txtAngaben, 10, box, g, 6, 2);
    placeDetail(txtAngaben, 11, box, g, 7, 0, 3);
    placeDetail(txtAngaben, 12, box, g, 8, 0);
    placeDetail(txtAngaben, 13, box, g, 8, 2);
    placeDetail(txtAngaben, 14, box, g, 9, 0);
    placeDetail(txtAngaben, 17, box, g, 9, 2);
    placeDetail(txtAngaben, 15, box, g, 10, 0);
    placeDetail(txtAngaben, 16, box, g, 10, 2);
    const FieldDef& essen = *findField(u"KEssen");
    chckKEssen = new QCheckBox(QString::fromUtf8(essen.caption), box);
    chckKEssen->setObjectName(QStringLiteral("chckKEssen"));
    g->addWidget(chckKEssen, 11, 1);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    v->addWidget(box);

    // The fee calculation: "Basiswert" X "Faktor Kind" X "Buchungsfaktor" = "Summe".
    auto* fees = new QGroupBox(page);
    fees->setObjectName(QStringLiteral("frmBerechnung"));
    auto* fg = compactGrid(fees);
    static const char* const feeFields[4] = {"KBasis", "KFaktor", "KBuchFak", "KSumme"};
    static const char* const operators[3] = {"X", "X", "="};
    for (int i = 0; i < 4; ++i) {
        const FieldDef& f = *findField(QString::fromLatin1(feeFields[i]));
        auto* label = captionFor(f, fees);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        fg->addWidget(label, 0, i * 2);
        auto* edit = new QLineEdit(fees);
        edit->setObjectName(QStringLiteral("txtBerechnung_%1").arg(i));
        edit->setAlignment(Qt::AlignRight);
        edit->setMaxLength(20);
        txtBerechnung[i] = edit;
        fg->addWidget(edit, 1, i * 2);
        fg->setColumnStretch(i * 2, 1);
        if (i < 3) {
            auto* op = new QLabel(QString::fromLatin1(operators[i]), fees);
            op->setAlignment(Qt::AlignCenter);
            fg->addWidget(op, 1, i * 2 + 1);
        }
    }
    v->addWidget(fees);
    v->addStretch(1);
    return page;
}

QWidget* TarvexMain::buildParentsTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabEltern"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(6);
    struct Parent {
        const char* title;
        const char* frame;
        int base;
        QComboBox** konf;
        QComboBox** nat;
        const char* konfName;
        const char* natName;
    };
    const Parent parents[2] = {
        {"Angaben Mutter", "frmMutter", 18, &cmbMKonf, &cmbMNat, "cmbMKonf", "cmbMNat"},
        {"Angaben Vater", "frmVater", 31, &cmbVKonf, &cmbVNat, "cmbVKonf", "cmbVNat"},
    };
    for (const Parent& p : parents) {
        auto* box = new QGroupBox(QString::fromUtf8(p.title), page);
        box->setObjectName(QString::fromLatin1(p.frame));
        auto* g = compactGrid(box);
        int b = p.base;
        placeDetail(txtAngaben, b, box, g, 0, 0);
        placeDetail(txtAngaben, b + 1, box, g, 0, 2);
        placeDetail(txtAngaben, b + 2, box, g, 1, 0);
        placeDetail(txtAngaben, b + 3, box, g, 1, 2);
        placeDetail(txtAngaben, b + 4, box, g, 2, 0);
        *p.konf = choiceBox(QString::fromLatin1(p.konfName), box, g, 2, 0);
        placeDetail(txtAngaben, b + 5, box, g, 2, 2);
        *p.nat = choiceBox(QString::fromLatin1(p.natName), box, g, 2, 2);
        placeDetail(txtAngaben, b + 6, box, g, 3, 0, 3);
        placeDetail(txtAngaben, b + 7, box, g, 4, 0);
        placeDetail(txtAngaben, b + 8, box, g, 4, 2);
        placeDetail(txtAngaben, b + 9, box, g, 5, 0);
        placeDetail(txtAngaben, b + 10, box, g, 5, 2);
        placeDetail(txtAngaben, b + 11, box, g, 6, 0, 3);
        placeDetail(txtAngaben, b + 12, box, g, 7, 0, 3);
        g->setColumnStretch(1, 1);
        g->setColumnStretch(3, 1);
        v->addWidget(box);
    }
    v->addStretch(1);
    return page;
}

QWidget* TarvexMain::buildSiblingsTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabGeschwister"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(6);

    auto* top = new QHBoxLayout;
    const FieldDef& anz = *findField(u"GAnz");
    top->addWidget(captionFor(anz, page));
    txtGAnz = new QLineEdit(page);
    txtGAnz->setObjectName(QStringLiteral("txtGAnz"));
    txtGAnz->setMaxLength(1);
    txtGAnz->setMaximumWidth(40);
    // The sibling rows follow the count in every state, whoever sets it.
    connect(txtGAnz, &QLineEdit::textChanged, this, &TarvexMain::showSiblingRows);
    top->addWidget(txtGAnz);
    top->addStretch(1);
    v->addLayout(top);

    auto* box = new QGroupBox(QStringLiteral("Angaben Geschwister"), page);
    box->setObjectName(QStringLiteral("frmGeschwister"));
    auto* g = compactGrid(box);
    for (int row = 0; row < 3; ++row) {
        int b = 44 + row * 4;
        int r = row * 3; // a narrow empty row sets each sibling apart
        placeDetail(txtAngaben, b, box, g, r, 0);
        placeDetail(txtAngaben, b + 1, box, g, r, 2);
        placeDetail(txtAngaben, b + 2, box, g, r + 1, 0);
        placeDetail(txtAngaben, b + 3, box, g, r + 1, 2);
        for (int k = 0; k < 4; ++k) {
            auto* label = box->findChild<QLabel*>(labelName(fieldOfDetail(b + k)));
            siblingLabels[row * 4 + k] = label;
        }
        if (row < 2)
            g->setRowMinimumHeight(r + 2, 8);
    }
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    v->addWidget(box);

    const FieldDef& bem = *findField(u"Bem");
    v->addWidget(captionFor(bem, page));
    txtBem = new QPlainTextEdit(page);
    txtBem->setObjectName(QStringLiteral("txtBem"));
    v->addWidget(txtBem, 1);
    return page;
}

void TarvexMain::showSiblingRows(const QString& count) {
    int shown = 0;
    if (count == QLatin1String("1"))
        shown = 1;
    else if (count == QLatin1String("2"))
        shown = 2;
    else if (count == QLatin1String("3"))
        shown = 3;
    for (int row = 0; row < 3; ++row) {
        bool visible = row < shown;
        for (int k = 0; k < 4; ++k) {
            txtAngaben[44 + row * 4 + k]->setVisible(visible);
            siblingLabels[row * 4 + k]->setVisible(visible);
        }
    }
}
