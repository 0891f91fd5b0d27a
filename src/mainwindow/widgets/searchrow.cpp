#include "searchrow.h"

#include "recordfields.h"
#include "refreshquery.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

SearchRow::SearchRow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SearchRow"));
    static const char* const captions[6] = {"Nachname", "Vorname", "geb. am",
                                            "Gruppe",   "Essen",   "Wohnort"};
    for (int i = 0; i < 6; ++i) {
        const QString field = searchFieldNames()[size_t(i)];
        m_labels[size_t(i)] = new QLabel(QString::fromUtf8(captions[i]), this);
        m_labels[size_t(i)]->setObjectName(QStringLiteral("lblSuch") + field);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("txtSuch") + field);
        edit->setMaxLength(findField(field)->size + 10);
        m_labels[size_t(i)]->setBuddy(edit);
        // Named apart from the record's field of the same caption.
        edit->setAccessibleName(QStringLiteral("Suche ") + m_labels[size_t(i)]->text());
        m_fields[size_t(i)] = edit;
        connect(edit, &QLineEdit::textChanged, this, [this, i] { emit searchChanged(i); });
    }
    m_hint = new QLabel(QStringLiteral("Suchmasken - Platzhalter   ein Zeichen -> ?   "
                                       "mehrere Zeichen -> *   Nummer -> #"),
                        this);
    m_hint->setObjectName(QStringLiteral("lblSuchInf"));
    m_clear = new QPushButton(QStringLiteral("Suchkriterien löschen"), this);
    m_clear->setObjectName(QStringLiteral("cmdSucheLoeschen"));
    connect(m_clear, &QPushButton::clicked, this, [this] {
        // Each field whose text really changes runs its own query; empty fields run none.
        for (QLineEdit* e : m_fields)
            e->setText(QString());
        emit cleared();
    });
}

std::array<QString, 6> SearchRow::texts() const {
    std::array<QString, 6> t;
    for (size_t i = 0; i < 6; ++i)
        t[i] = m_fields[i]->text();
    return t;
}

void SearchRow::focusFirst() {
    m_fields[0]->setFocus();
}

void SearchRow::place(const Geometry& g) {
    m_hint->setGeometry(g.hint);
    for (size_t i = 0; i < 6; ++i) {
        m_labels[i]->setGeometry(g.labels[i]);
        m_fields[i]->setGeometry(g.fields[i]);
    }
    m_clear->setGeometry(g.clear);
    // The hint and the captions shrink their type, when they must, to fit the width they get,
    // so that nothing is cut off or runs into its neighbour.
    fitTextToWidth(m_hint);
    for (QLabel* label : m_labels)
        fitTextToWidth(label);
}

void SearchRow::fitTextToWidth(QLabel* label) {
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
