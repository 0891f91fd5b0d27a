#include "restoredialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QString backupDate(const QDateTime& time) {
    return time.toString(QStringLiteral("dd.MM.yyyy"));
}

QString backupTime(const QDateTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

RestoreDialog::RestoreDialog(const QList<BackupEntry>& entries, const QString& folder,
                             QWidget* parent)
    : QDialog(parent), m_entries(entries) {
    setObjectName(QStringLiteral("RestoreDialog"));
    setWindowTitle(QStringLiteral("Datensicherung zurückspielen"));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("Wählen Sie die Datensicherung, die zurückgespielt "
                                           "werden soll. Der jetzige Stand der Datenbank wird "
                                           "vorher gesichert."),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstSicherungen"));
    m_list->setAccessibleName(QStringLiteral("Datensicherungen"));
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels(
        {QStringLiteral("Datum"), QStringLiteral("Uhrzeit"), QStringLiteral("Datensätze")});
    for (const BackupEntry& entry : entries) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, backupDate(entry.file.time));
        item->setText(1, backupTime(entry.file.time));
        if (entry.records) {
            item->setText(2, QString::number(*entry.records));
            item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        } else {
            item->setText(2, QStringLiteral("nicht lesbar"));
            item->setToolTip(2, entry.problem);
        }
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(true);
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    layout->addWidget(m_list, 1);

    auto* where =
        new QLabel(QStringLiteral("Ordner: %1").arg(QDir::toNativeSeparators(folder)), this);
    where->setObjectName(QStringLiteral("lblOrdner"));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where);

    auto* buttons = new QDialogButtonBox(this);
    m_restore = buttons->addButton(QStringLiteral("&Zurückspielen"), QDialogButtonBox::AcceptRole);
    m_restore->setObjectName(QStringLiteral("cmdZurueckspielen"));
    m_restore->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdAbbrechen"));
    // Its buttons take the focus; the box itself is no stop of Tab.
    buttons->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { m_restore->setEnabled(current != nullptr); });
    m_restore->setEnabled(m_list->currentItem() != nullptr);
    resize(460, 360);
}

std::optional<BackupEntry> RestoreDialog::chosen() const {
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || row >= m_entries.size())
        return std::nullopt;
    return m_entries[row];
}
