#pragma once

// Window geometry is kept in twips (1440 per inch) and turned into pixels through the screen's
// logical DPI. Both directions round to the nearest whole unit, so a size written back in twips
// gives the same pixels at the next start.
int twipsToPixels(double twips, double dpi);
int pixelsToTwips(int pixels, double dpi);
