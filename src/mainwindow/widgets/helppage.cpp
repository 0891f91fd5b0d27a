#include "helppage.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// The keys as the window knows them; the menus name their own shortcuts beside each entry.
const char* const Page = R"(<h1>Bedienung mit der Tastatur</h1>
<h2>Im Fenster</h2>
<table cellpadding="3">
<tr><th align="left">Taste</th><th align="left">Wirkung</th></tr>
<tr><td>Tab, Umschalt+Tab</td><td>zum nächsten, zum vorigen Bedienelement: Suchfelder, Tabelle,
Registerkarten und die Felder des angezeigten Datensatzes (beim Blättern nur zum Lesen)</td></tr>
<tr><td>Strg+Tab, Strg+Umschalt+Tab</td><td>zur nächsten, zur vorigen Registerkarte
(„Kind“, „Eltern“, „Geschwister / Bem.“), wenn ein Feld des Datensatzes den Fokus hat</td></tr>
<tr><td>Alt oder F10</td><td>in die Menüleiste; Alt mit dem unterstrichenen Buchstaben öffnet
ein Menü</td></tr>
<tr><td>Strg+N, Strg+E, Strg+D, Strg+S</td><td>Datensatz neu, ändern, löschen,
speichern</td></tr>
<tr><td>Strg+P</td><td>Drucken</td></tr>
<tr><td>Strg+Q</td><td>Beenden</td></tr>
</table>
<h2>In der Tabelle</h2>
<table cellpadding="3">
<tr><td>Pfeiltasten, Bild auf, Bild ab</td><td>zu einem anderen Kind; der Datensatz wird
angezeigt</td></tr>
<tr><td>Pfeil links, Pfeil rechts</td><td>zu einer anderen Spalte</td></tr>
<tr><td>Menütaste oder Umschalt+F10</td><td>Sortieren nach der Spalte der aktuellen Zelle,
aufsteigend oder absteigend</td></tr>
</table>
<h2>Beim Bearbeiten</h2>
<table cellpadding="3">
<tr><td>Eingabetaste</td><td>zum nächsten Feld, auch auf die nächste Registerkarte; in der
Bemerkung eine neue Zeile</td></tr>
<tr><td>Pfeil ab</td><td>öffnet die Auswahlliste einer Konfession oder Nationalität</td></tr>
<tr><td>Leertaste</td><td>schaltet „Essen“ ein oder aus</td></tr>
</table>
<h2>In Dialogen</h2>
<p>Eingabetaste bestätigt, Esc bricht ab; Alt mit dem unterstrichenen Buchstaben wählt ein
Bedienelement.</p>)";

} // namespace

HelpPage::HelpPage(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpPage"));
    setWindowTitle(QStringLiteral("Hilfe"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("txtHilfe"));
    text->setAccessibleName(QStringLiteral("Bedienung mit der Tastatur"));
    text->setHtml(QString::fromUtf8(Page));
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Schließen"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Its buttons take the focus; the box itself is no stop of Tab.
    buttons->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(buttons);
    const QSize em = fontMetrics().size(0, QStringLiteral("M"));
    resize(em.width() * 48, em.height() * 34);
}

HelpPage* HelpPage::showFor(QWidget* window) {
    auto* page = window->findChild<HelpPage*>(QString(), Qt::FindDirectChildrenOnly);
    if (!page)
        page = new HelpPage(window);
    page->show();
    page->raise();
    page->activateWindow();
    return page;
}
