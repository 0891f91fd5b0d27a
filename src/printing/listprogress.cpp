#include "listprogress.h"

#include <QProgressDialog>

namespace {

// The dialog appears only when the list is likely to take longer than this.
constexpr int ShowAfterMs = 400;

} // namespace

ListProgress::ListProgress(QWidget* parent, qint64 rows, const Hook& hook) : m_hook(hook) {
    if (rows <= ShownAbove)
        return;
    m_dialog = std::make_unique<QProgressDialog>(parent);
    m_dialog->setObjectName(QStringLiteral("ListProgress"));
    m_dialog->setWindowTitle(QStringLiteral("Tarvex"));
    m_dialog->setCancelButtonText(QStringLiteral("Abbrechen"));
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(ShowAfterMs);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
}

ListProgress::~ListProgress() = default;

void ListProgress::close() {
    m_dialog.reset();
}

bool ListProgress::planning(int done, int total) {
    return step(QStringLiteral("Die Liste wird vorbereitet ..."), done, total);
}

bool ListProgress::pages(int done, int total) {
    return step(QStringLiteral("Seite %1 von %2 ...").arg(done + 1).arg(total), done, total);
}

bool ListProgress::step(const QString& label, qint64 done, qint64 total) {
    if (!m_dialog)
        return true;
    if (m_dialog->wasCanceled())
        return false;
    if (m_dialog->labelText() != label)
        m_dialog->setLabelText(label);
    // The dialog counts in int; a file's bytes are scaled to thousandths.
    const int scaledTotal = total > 1000000 ? 1000 : int(total);
    const int scaledDone = total > 1000000 ? int(done * 1000 / total) : int(done);
    if (m_dialog->maximum() != scaledTotal)
        m_dialog->setRange(0, scaledTotal);
    m_dialog->setValue(scaledDone);
    if (m_hook)
        m_hook(*m_dialog);
    return !m_dialog->wasCanceled();
}
