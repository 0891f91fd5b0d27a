#pragma once

#include "pageplan.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>

#include <array>
#include <memory>

struct Settings;

// The fonts of a printed list. Lists are measured and drawn in units of 1/1200 inch, whatever
// the device: the printer, the PDF file and the preview then place every text alike.
class PrintFonts {
  public:
    static constexpr double UnitsPerInch = 1200;
    static constexpr double UnitsPerMm = UnitsPerInch / 25.4;

    explicit PrintFonts(const Settings& settings);

    // The entry and heading fonts from the settings (an empty name is "Arial", a size that is
    // no positive number is 10). The header's fonts change only name, size and weight of the
    // entry font, so they are italic when the entry font is.
    const QFont& font(PrintFont f) const { return m_fonts[size_t(f)]; }
    // Metrics in units of 1/1200 inch.
    const QFontMetricsF& metrics(PrintFont f) const { return *m_metrics[size_t(f)]; }
    // The font to draw with on a device of the given logical resolution under a painter that
    // is scaled to units of 1/1200 inch.
    QFont deviceFont(PrintFont f, int deviceDpi) const;

    // Arial and Times New Roman are drawn with their metric twins, Liberation Sans and Serif,
    // and Comic Sans MS with Comic Neue, where the originals are not installed.
    static void installSubstitutes();

  private:
    std::array<QFont, PrintFontCount> m_fonts;
    std::array<std::unique_ptr<QFontMetricsF>, PrintFontCount> m_metrics;
};

// Measures with the print fonts. Lists repeat many values (names, places, groups), so widths
// are remembered per font.
class FontMeasure final : public TextMeasure {
  public:
    explicit FontMeasure(const PrintFonts& fonts) : m_fonts(fonts) {}
    double width(PrintFont font, const QString& text) const override;
    double lineHeight(PrintFont font) const override;

  private:
    const PrintFonts& m_fonts;
    mutable std::array<QHash<QString, float>, PrintFontCount> m_widths;
};
