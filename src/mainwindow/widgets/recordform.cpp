#include "recordform.h"

#include "choicelists.h"
#include "formfields.h"
#include "inputrules.h"
#include "messageboxes.h"
#include "recordfocusrules.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextBlock>
#include <QVBoxLayout>
#include <QValidator>

namespace {

int field(const char* name) {
    return fieldIndex(QString::fromLatin1(name));
}

QString labelName(const FieldDef& f) {
    // The booking factor's label carries a shorter name than its field.
    if (qstrcmp(f.name, "KBuchFak") == 0)
        return QStringLiteral("lblBuchfak");
    return QStringLiteral("lbl") + QString::fromLatin1(f.name);
}

QGridLayout* compactGrid(QWidget* w) {
    auto* g = new QGridLayout(w);
    g->setContentsMargins(8, 6, 8, 6);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(3);
    return g;
}

// What a record box may hold, on every way text comes in: typed, pasted by keyboard, menu or
// middle button, dropped. A one-line box cleans what comes in first (a copied cell's line break,
// tabs); then the box's rules decide, and a refused change leaves the text as it was.
class RecordLineValidator : public QValidator {
  public:
    RecordLineValidator(InputRules::Kind kind, int limit, QObject* parent)
        : QValidator(parent), m_kind(kind), m_limit(limit) {}

    State validate(QString& input, int& position) const override {
        input = InputRules::cleanLine(input, &position);
        m_verdict = InputRules::lineInput(m_kind, input, m_limit);
        return m_verdict == InputRules::Verdict::Accept ? Acceptable : Invalid;
    }
    // Why the last change was refused.
    InputRules::Verdict verdict() const { return m_verdict; }
    int limit() const { return m_limit; }

  private:
    InputRules::Kind m_kind;
    int m_limit;
    mutable InputRules::Verdict m_verdict = InputRules::Verdict::Accept;
};

// A shown value goes in as it is stored: the rules are for what the user changes.
void setLineText(QLineEdit* e, const QString& text) {
    const QValidator* validator = e->validator();
    e->setValidator(nullptr);
    e->setText(text);
    e->setValidator(validator);
    e->setCursorPosition(0);
}

} // namespace

RecordForm::RecordForm(MessageBoxes& boxes, QWidget* parent)
    : QTabWidget(parent), m_boxes(boxes), m_focusRules(new RecordFocusRules(this)) {
    setObjectName(QStringLiteral("SSTab1"));
    addTab(buildChildTab(), QStringLiteral("Kind"));
    addTab(buildParentsTab(), QStringLiteral("Eltern"));
    addTab(buildSiblingsTab(), QStringLiteral("Geschwister / Bem."));
    // A click on a tab shows its page and leaves the box being typed in (its filler is written);
    // it does not put the focus into a box of the page, where the next click would only place
    // the cursor instead of selecting as a click into a box does.
    connect(tabBar(), &QTabBar::tabBarClicked, this, [this] {
        QWidget* focus = QApplication::focusWidget();
        if (focus && isAncestorOf(focus))
            tabBar()->setFocus(Qt::MouseFocusReason);
    });
    for (QWidget* w : m_box)
        m_focusRules->watch(w);
    for (QComboBox* c : m_choice)
        if (c)
            m_focusRules->watch(c);
    showSiblingRows(QString());
    setEditState(EditState::Browse, ChoiceLists());
}

RecordForm::~RecordForm() {
    // The controls go after the form's own members; the rules must not see their last events.
    delete m_focusRules;
}

void RecordForm::applyInputRules(QLineEdit* e, int f) {
    auto* validator = new RecordLineValidator(InputRules::kindOf(f), fieldDef(f).typedLimit(), e);
    e->setValidator(validator);
    connect(e, &QLineEdit::inputRejected, this, [this, validator] {
        if (validator->verdict() == InputRules::Verdict::TooLong)
            tooLong(validator->limit());
    });
}

QLineEdit* RecordForm::recordLineEdit(const QString& name, int f, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    applyInputRules(e, f);
    return e;
}

// The message opens once the change that was refused is done with.
void RecordForm::tooLong(int limit) {
    QMetaObject::invokeMethod(
        this,
        [this, limit] {
            m_boxes.show(this, InputRules::tooLongMessage(limit), MessageBoxes::Buttons::Ok,
                         MessageBoxes::Icon::Information);
        },
        Qt::QueuedConnection);
}

// The remark takes at most its limit: whatever comes in beyond it is taken out again at once.
void RecordForm::limitRemark(int position, int added) {
    QTextDocument* document = txtBem->document();
    const int limit = fieldDef(field("Bem")).typedLimit();
    const int excess = document->characterCount() - 1 - limit;
    if (m_showing || excess <= 0 || added <= 0)
        return;
    // The change as reported may count the document's final paragraph mark.
    const int end = std::min(position + added, document->characterCount() - 1);
    QTextCursor cursor(document);
    cursor.setPosition(std::max(position, end - excess));
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    tooLong(limit);
}

QLabel* RecordForm::caption(int f, QWidget* parent) {
    auto* l = new QLabel(QString::fromUtf8(fieldDef(f).caption), parent);
    l->setObjectName(labelName(fieldDef(f)));
    return l;
}

// Places txtAngaben[index] with its caption at (row, column) of a four-column grid; span 3 lets a
// long field take the whole width.
QLineEdit* RecordForm::placeDetail(int index, QWidget* parent, QGridLayout* g, int row, int column,
                                   int span) {
    const int fi = detailField(index);
    auto* edit = recordLineEdit(QStringLiteral("txtAngaben_%1").arg(index), fi, parent);
    txtAngaben[size_t(index)] = edit;
    m_box[size_t(fi)] = edit;
    g->addWidget(caption(fi, parent), row, column);
    g->addWidget(edit, row, column + 1, 1, span);
    return edit;
}

QComboBox* RecordForm::placeChoice(const char* name, QWidget* parent, QGridLayout* g, int row,
                                   int column) {
    const int fi = field(name);
    auto* c = new QComboBox(parent);
    c->setObjectName(QStringLiteral("cmb") + QString::fromLatin1(name));
    c->setEditable(true);
    applyInputRules(c->lineEdit(), fi);
    c->setInsertPolicy(QComboBox::NoInsert);
    // Completion keeps the case: "ev." and "Ev." are different values.
    c->completer()->setCaseSensitivity(Qt::CaseSensitive);
    c->setVisible(false);
    m_choice[size_t(fi)] = c;
    g->addWidget(c, row, column + 1);
    return c;
}

QWidget* RecordForm::buildChildTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabKind"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(6);

    auto* top = new QHBoxLayout;
    const int nr = field("Nr");
    top->addWidget(caption(nr, page));
    txtNr = recordLineEdit(QStringLiteral("txtNr"), nr, page);
    txtNr->setMaximumWidth(90);
    m_box[size_t(nr)] = txtNr;
    top->addWidget(txtNr);
    top->addStretch(1);
    v->addLayout(top);

    auto* box = new QGroupBox(QStringLiteral("Angaben Kind"), page);
    box->setObjectName(QStringLiteral("frmKind"));
    auto* g = compactGrid(box);
    placeDetail(0, box, g, 0, 0, 3);
    placeDetail(1, box, g, 1, 0, 3);
    placeDetail(2, box, g, 2, 0);
    placeDetail(3, box, g, 2, 2);
    placeDetail(4, box, g, 3, 0);
    placeChoice("KKonf", box, g, 3, 0);
    placeDetail(5, box, g, 3, 2);
    placeChoice("KNat", box, g, 3, 2);
    placeDetail(6, box, g, 4, 0, 3);
    placeDetail(7, box, g, 5, 0);
    placeDetail(8, box, g, 5, 2);
    placeDetail(9, box, g, 6, 0);
    placeDetail(10, box, g, 6, 2);
    placeDetail(11, box, g, 7, 0, 3);
    placeDetail(12, box, g, 8, 0);
    placeDetail(13, box, g, 8, 2);
    placeDetail(14, box, g, 9, 0);
    placeDetail(17, box, g, 9, 2);
    placeDetail(15, box, g, 10, 0);
    placeDetail(16, box, g, 10, 2);
    const int essen = field("KEssen");
    chckKEssen = new QCheckBox(QString::fromUtf8(fieldDef(essen).caption), box);
    chckKEssen->setObjectName(QStringLiteral("chckKEssen"));
    m_box[size_t(essen)] = chckKEssen;
    g->addWidget(chckKEssen, 11, 1);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    v->addWidget(box);

    // The fee calculation: "Basiswert" X "Faktor Kind" X "Buchungsfaktor" = "Summe".
    auto* fees = new QGroupBox(page);
    fees->setObjectName(QStringLiteral("frmBerechnung"));
    auto* fg = compactGrid(fees);
    static const char* const feeFields[FeeCount] = {"KBasis", "KFaktor", "KBuchFak", "KSumme"};
    static const char* const operators[3] = {"X", "X", "="};
    for (int i = 0; i < FeeCount; ++i) {
        const int fi = field(feeFields[i]);
        auto* label = caption(fi, fees);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        fg->addWidget(label, 0, i * 2);
        auto* edit = recordLineEdit(QStringLiteral("txtBerechnung_%1").arg(i), fi, fees);
        edit->setAlignment(Qt::AlignRight);
        txtBerechnung[size_t(i)] = edit;
        m_box[size_t(fi)] = edit;
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

QWidget* RecordForm::buildParentsTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabEltern"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(6);
    struct Parent {
        const char* title;
        const char* frame;
        int base;
        const char* konf;
        const char* nat;
    };
    const Parent parents[2] = {
        {"Angaben Mutter", "frmMutter", 18, "MKonf", "MNat"},
        {"Angaben Vater", "frmVater", 31, "VKonf", "VNat"},
    };
    for (const Parent& p : parents) {
        auto* box = new QGroupBox(QString::fromUtf8(p.title), page);
        box->setObjectName(QString::fromLatin1(p.frame));
        auto* g = compactGrid(box);
        const int b = p.base;
        placeDetail(b, box, g, 0, 0);
        placeDetail(b + 1, box, g, 0, 2);
        placeDetail(b + 2, box, g, 1, 0);
        placeDetail(b + 3, box, g, 1, 2);
        placeDetail(b + 4, box, g, 2, 0);
        placeChoice(p.konf, box, g, 2, 0);
        placeDetail(b + 5, box, g, 2, 2);
        placeChoice(p.nat, box, g, 2, 2);
        placeDetail(b + 6, box, g, 3, 0, 3);
        placeDetail(b + 7, box, g, 4, 0);
        placeDetail(b + 8, box, g, 4, 2);
        placeDetail(b + 9, box, g, 5, 0);
        placeDetail(b + 10, box, g, 5, 2);
        placeDetail(b + 11, box, g, 6, 0, 3);
        placeDetail(b + 12, box, g, 7, 0, 3);
        g->setColumnStretch(1, 1);
        g->setColumnStretch(3, 1);
        v->addWidget(box);
    }
    v->addStretch(1);
    return page;
}

QWidget* RecordForm::buildSiblingsTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabGeschwister"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(6);

    auto* top = new QHBoxLayout;
    const int anz = field("GAnz");
    top->addWidget(caption(anz, page));
    txtGAnz = recordLineEdit(QStringLiteral("txtGAnz"), anz, page);
    txtGAnz->setMaximumWidth(40);
    m_box[size_t(anz)] = txtGAnz;
    // The sibling rows follow the count in every state, whoever sets it.
    connect(txtGAnz, &QLineEdit::textChanged, this, &RecordForm::showSiblingRows);
    top->addWidget(txtGAnz);
    top->addStretch(1);
    v->addLayout(top);

    auto* box = new QGroupBox(QStringLiteral("Angaben Geschwister"), page);
    box->setObjectName(QStringLiteral("frmGeschwister"));
    auto* g = compactGrid(box);
    for (int row = 0; row < 3; ++row) {
        const int b = 44 + row * 4;
        const int r = row * 3; // a narrow empty row sets each sibling apart
        placeDetail(b, box, g, r, 0);
        placeDetail(b + 1, box, g, r, 2);
        placeDetail(b + 2, box, g, r + 1, 0);
        placeDetail(b + 3, box, g, r + 1, 2);
        for (int k = 0; k < 4; ++k)
            siblingLabels[size_t(row * 4 + k)] =
                box->findChild<QLabel*>(labelName(fieldDef(detailField(b + k))));
        if (row < 2)
            g->setRowMinimumHeight(r + 2, 8);
    }
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    v->addWidget(box);

    const int bem = field("Bem");
    v->addWidget(caption(bem, page));
    txtBem = new QPlainTextEdit(page);
    txtBem->setObjectName(QStringLiteral("txtBem"));
    txtBem->setTabChangesFocus(true);
    connect(txtBem->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { limitRemark(position, added); });
    m_box[size_t(bem)] = txtBem;
    v->addWidget(txtBem, 1);
    return page;
}

void RecordForm::showSiblingRows(const QString& count) {
    const int shown = InputRules::siblingRows(count);
    for (int row = 0; row < 3; ++row) {
        const bool visible = row < shown;
        for (int k = 0; k < 4; ++k) {
            txtAngaben[size_t(44 + row * 4 + k)]->setVisible(visible);
            siblingLabels[size_t(row * 4 + k)]->setVisible(visible);
        }
    }
    // While editing, the child's surname is proposed for the surnames of the rows shown.
    if (!isEditing(m_state))
        return;
    const QString surname = txtAngaben[0]->text();
    if (InputRules::holdsNoValue(field("KNach"), surname))
        return;
    for (int f : InputRules::siblingSurnames(shown))
        if (InputRules::holdsNoValue(f, text(f)))
            setText(f, surname);
}

void RecordForm::setEditState(EditState state, const ChoiceLists& lists) {
    const bool wasEditing = isEditing(m_state);
    m_state = state;
    const bool editing = isEditing(state);
    for (int f = 0; f < FieldCount; ++f) {
        QWidget* w = m_box[size_t(f)];
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setReadOnly(!editing);
        w->setFocusPolicy(editing ? Qt::StrongFocus : Qt::NoFocus);
        QComboBox* c = m_choice[size_t(f)];
        if (!c)
            continue;
        if (editing && !wasEditing) {
            c->setVisible(true);
            setLineText(c->lineEdit(), static_cast<QLineEdit*>(w)->text());
            w->setVisible(false);
        } else if (!editing) {
            c->setVisible(false);
            c->setEditText(QString());
            w->setVisible(true);
        }
    }
    // The number of a stored record is its key: it is typed only for a new record.
    txtNr->setReadOnly(state != EditState::New);
    txtBem->setReadOnly(!editing);
    chckKEssen->setAttribute(Qt::WA_TransparentForMouseEvents, !editing);
    if (editing) {
        updateChoiceLists(lists);
        if (!wasEditing)
            setCurrentIndex(0);
    }
}

void RecordForm::updateChoiceLists(const ChoiceLists& lists) {
    for (int f = 0; f < FieldCount; ++f) {
        QComboBox* c = m_choice[size_t(f)];
        if (!c)
            continue;
        const bool religion = QByteArray(fieldDef(f).name).endsWith("Konf");
        const QStringList& values = religion ? lists.religions() : lists.nationalities();
        if (c->count() >= values.size())
            continue;
        // The lists only grow: the new values are appended, the typed text stays.
        const QString typed = c->currentText();
        c->addItems(values.mid(c->count()));
        setLineText(c->lineEdit(), typed);
    }
}

QWidget* RecordForm::editorOf(int f) const {
    if (f < 0 || f >= FieldCount)
        return nullptr;
    QComboBox* c = m_choice[size_t(f)];
    return c && isEditing(m_state) ? static_cast<QWidget*>(c) : m_box[size_t(f)];
}

int RecordForm::fieldOf(const QObject* control) const {
    for (int f = 0; f < FieldCount; ++f) {
        const QComboBox* c = m_choice[size_t(f)];
        if (m_box[size_t(f)] == control || (c && (c == control || c->lineEdit() == control)))
            return f;
    }
    return -1;
}

bool RecordForm::isChoiceBox(const QObject* control) const {
    for (const QComboBox* c : m_choice)
        if (c && (c == control || c->lineEdit() == control))
            return true;
    return false;
}

void RecordForm::setText(int f, const QString& value) {
    QWidget* w = editorOf(f);
    if (auto* c = qobject_cast<QComboBox*>(w))
        setLineText(c->lineEdit(), value);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        setLineText(e, value);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        m_showing = true; // a stored remark is shown whole
        p->setPlainText(value);
        m_showing = false;
    } else if (auto* b = qobject_cast<QCheckBox*>(w))
        b->setChecked(value == QLatin1String("ja"));
}

QString RecordForm::text(int f) const {
    QWidget* w = editorOf(f);
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        return p->toPlainText();
    if (auto* b = qobject_cast<QCheckBox*>(w))
        return b->isChecked() ? QStringLiteral("ja") : QStringLiteral("nein");
    return QString();
}

void RecordForm::showTexts(const RecordTexts& texts) {
    // The count is set before the sibling fields, so stored names replace any proposal.
    const int anz = field("GAnz");
    setText(anz, texts[size_t(anz)]);
    for (int f = 0; f < FieldCount; ++f)
        if (f != anz)
            setText(f, texts[size_t(f)]);
}

void RecordForm::blank() {
    RecordTexts t;
    t[size_t(field("Nr"))] = QStringLiteral("1");
    t[size_t(field("KEssen"))] = QStringLiteral("nein");
    // The fee fields are blanked too: an empty list shows no fees of another child.
    showTexts(t);
}

RecordTexts RecordForm::texts() const {
    RecordTexts t;
    for (int f = 0; f < FieldCount; ++f)
        t[size_t(f)] = text(f);
    return t;
}

void RecordForm::focusField(int f) {
    QWidget* w = editorOf(f);
    if (!w)
        return;
    for (int i = 0; i < count(); ++i)
        if (widget(i)->isAncestorOf(w))
            setCurrentIndex(i);
    // Already focused (the user was typing there), it gets no focus event: its text is
    // selected here, so typing replaces it as after any move of the focus.
    if (w->hasFocus())
        m_focusRules->enterAgain(w);
    w->setFocus(Qt::OtherFocusReason);
}

void RecordForm::recalculateSum() {
    const auto sum = InputRules::feeSum(txtBerechnung[0]->text(), txtBerechnung[1]->text(),
                                        txtBerechnung[2]->text());
    // A text that is no number keeps the previous sum; saving then names the field.
    if (sum)
        setLineText(txtBerechnung[3], *sum);
}

void RecordForm::commitFocusedField() {
    m_focusRules->leave(focusWidget(), false);
}
