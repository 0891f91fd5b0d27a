#include "pdfcatalog.h"

#include <QRegularExpression>

namespace {

// The number after the last "startxref": where the file's cross-reference table begins.
qint64 lastXref(const QByteArray& pdf) {
    const qsizetype at = pdf.lastIndexOf("startxref");
    if (at < 0)
        return -1;
    bool ok = false;
    const qint64 offset = pdf.mid(at + 9).simplified().split(' ').value(0).toLongLong(&ok);
    return ok ? offset : -1;
}

} // namespace

QByteArray withCatalogEntries(const QByteArray& pdf, const QByteArray& language) {
    const qint64 xref = lastXref(pdf);
    const qsizetype trailerAt = pdf.lastIndexOf("trailer");
    if (xref < 0 || trailerAt < 0)
        return pdf;
    const qsizetype dictOpen = pdf.indexOf("<<", trailerAt);
    const qsizetype dictClose = pdf.indexOf(">>", dictOpen);
    if (dictOpen < 0 || dictClose < 0)
        return pdf;
    QByteArray trailer = pdf.mid(dictOpen + 2, dictClose - dictOpen - 2);
    const QRegularExpressionMatch root =
        QRegularExpression(QStringLiteral("/Root\\s+(\\d+)\\s+(\\d+)\\s+R"))
            .match(QString::fromLatin1(trailer));
    if (!root.hasMatch())
        return pdf;
    const QByteArray object = root.captured(1).toLatin1() + ' ' + root.captured(2).toLatin1();

    // The catalog as last written, its dictionary from its first "<<" to its last ">>".
    const qsizetype objAt = pdf.lastIndexOf("\n" + object + " obj");
    const qsizetype endAt = objAt < 0 ? -1 : pdf.indexOf("endobj", objAt);
    if (endAt < 0)
        return pdf;
    const QByteArray body = pdf.mid(objAt, endAt - objAt);
    const qsizetype open = body.indexOf("<<");
    const qsizetype close = body.lastIndexOf(">>");
    if (open < 0 || close < open || body.contains("/Lang"))
        return pdf;
    QByteArray catalog = body.mid(open, close - open);
    catalog += "/Lang (" + language + ")\n";
    if (!body.contains("/ViewerPreferences"))
        catalog += "/ViewerPreferences << /DisplayDocTitle true >>\n";
    catalog += ">>";

    QByteArray out = pdf;
    if (!out.endsWith('\n'))
        out += '\n';
    const qint64 catalogAt = out.size();
    out += object + " obj\n" + catalog + "\nendobj\n";
    const qint64 tableAt = out.size();
    out += "xref\n" + root.captured(1).toLatin1() + " 1\n" +
           QByteArray::number(catalogAt).rightJustified(10, '0') + ' ' +
           root.captured(2).toLatin1().rightJustified(5, '0') + " n \n";
    // The trailer as before, pointing back to the table it amends.
    trailer = QString::fromLatin1(trailer)
                  .remove(QRegularExpression(QStringLiteral("/Prev\\s+\\d+")))
                  .toLatin1();
    out += "trailer\n<<" + trailer.trimmed() + "\n/Prev " + QByteArray::number(xref) +
           "\n>>\nstartxref\n" + QByteArray::number(tableAt) + "\n%%EOF\n";
    return out;
}
