#pragma once

#include <QByteArray>

// What Qt's PDF writer leaves out of a document's catalog: the language of its text, by which a
// screen reader picks its voice, and the wish that a viewer show the document's title rather
// than its file name. Added as an update at the end of the file, as PDF lets a file be amended;
// the file as written stays unchanged before it. A file whose catalog cannot be found comes back
// as it was.
QByteArray withCatalogEntries(const QByteArray& pdf, const QByteArray& language);
