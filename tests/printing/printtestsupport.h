#pragma once

#include "printdialog.h"
#include "recordingmessageboxes.h"
#include "settings.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class Database;

// A child of the test lists; an empty text is stored as Null.
struct Child {
    int nr = 0;
    QString nach, vor, geb, konf, ort, str, grp, tel1, mtel1;
};

// n children with umlauts, five groups, a long surname and street, one without a religion.
QList<Child> realisticChildren(int n);

// The text of a PDF file by pdftotext, page by page (form feeds split the pages); empty when
// pdftotext cannot be run.
QStringList pdfPages(const QString& path);
bool havePdfToText();

// The page number in a page's date block ("Seite : 3"), or -1.
int pageNumberOn(const QString& pageText);

// A program folder with a database of children, message boxes that record, and settings with a
// letterhead: what the print dialog is given.
class PrintFixture {
  public:
    explicit PrintFixture(const QList<Child>& children);
    ~PrintFixture();

    PrintDialog::Setup setup();
    QString path(const QString& name) const { return m_dir.filePath(name); }
    Database& database() { return *m_database; }

    Settings settings;
    RecordingMessageBoxes boxes;

  private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_database;
};
