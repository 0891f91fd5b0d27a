#pragma once

#include "csvimport.h"

#include <QDialog>
#include <QSet>

class QLabel;
class QPushButton;
class QRadioButton;

// Shows what an import would do before anything is written: how many records are added, which
// numbers are taken already (to be skipped or given new numbers), which rows are refused and
// why, values that may have lost their leading zeros, whether the highest possible number is
// taken afterwards, and which columns are not taken over. "Importieren" accepts with the chosen
// way.
class ImportDialog : public QDialog {
    Q_OBJECT
  public:
    // Rows refused are listed up to this many; the rest are counted.
    static constexpr int ListedRefusals = 1000;

    ImportDialog(const csvimport::Import& import, const QSet<qint64>& stored, const QString& path,
                 QWidget* parent = nullptr);

    csvimport::Clash clash() const;

  private:
    void updateCount();

    const csvimport::Import& m_import;
    const QSet<qint64>& m_stored;
    QLabel* m_count = nullptr;
    QLabel* m_highest = nullptr;
    QRadioButton* m_skip = nullptr;
    QRadioButton* m_renumber = nullptr;
    QPushButton* m_ok = nullptr;
};
