#include "printfonts.h"

#include "settings.h"

#include <QImage>

#include <cmath>

namespace {

constexpr double DefaultSize = 10;
// Widths remembered per font at most; a list of unique values (numbers, telephones) would
// otherwise keep one entry per row.
constexpr qsizetype MaxRemembered = 50000;

// A device of 1200 dots per inch to take metrics from.
const QPaintDevice* referenceDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        const int dotsPerMeter = qRound(PrintFonts::UnitsPerInch / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}

QFont makeFont(const QString& name, double size, bool bold, bool italic) {
    QFont font(name.isEmpty() ? QStringLiteral("Arial") : name);
    font.setPointSizeF(std::isfinite(size) && size > 0 ? size : DefaultSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace

PrintFonts::PrintFonts(const Settings& s) {
    installSubstitutes();
    m_fonts[size_t(PrintFont::Entry)] = makeFont(s.Schrift1, s.SchriftGr1, s.Fett1, s.Kursiv1);
    m_fonts[size_t(PrintFont::Heading)] = makeFont(s.Schrift2, s.SchriftGr2, s.Fett2, s.Kursiv2);
    m_fonts[size_t(PrintFont::Header)] = makeFont(QStringLiteral("Arial"), 10, false, s.Kursiv1);
    m_fonts[size_t(PrintFont::Letterhead)] =
        makeFont(QStringLiteral("Comic Sans MS"), 18, true, s.Kursiv1);
    m_fonts[size_t(PrintFont::LetterheadSmall)] =
        makeFont(QStringLiteral("Comic Sans MS"), 12, true, s.Kursiv1);
    for (size_t i = 0; i < m_fonts.size(); ++i)
        m_metrics[i] = std::make_unique<QFontMetricsF>(m_fonts[i], referenceDevice());
}

QFont PrintFonts::deviceFont(PrintFont f, int deviceDpi) const {
    QFont font = m_fonts[size_t(f)];
    font.setPointSizeF(font.pointSizeF() * UnitsPerInch / deviceDpi);
    return font;
}

void PrintFonts::installSubstitutes() {
    static const bool installed = [] {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                                  QStringLiteral("Liberation Serif"));
        QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
        return true;
    }();
    (void)installed;
}

double FontMeasure::width(PrintFont font, const QString& text) const {
    QHash<QString, float>& known = m_widths[size_t(font)];
    auto it = known.constFind(text);
    if (it != known.constEnd())
        return it.value();
    const float w = float(m_fonts.metrics(font).horizontalAdvance(text) / PrintFonts::UnitsPerMm);
    if (known.size() >= MaxRemembered)
        known.clear();
    known.insert(text, w);
    return w;
}

double FontMeasure::lineHeight(PrintFont font) const {
    return m_fonts.metrics(font).lineSpacing() / PrintFonts::UnitsPerMm;
}
