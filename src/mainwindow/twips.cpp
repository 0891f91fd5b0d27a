#include "twips.h"

#include <cmath>

int twipsToPixels(double twips, double dpi) {
    return int(std::lround(twips * dpi / 1440.0));
}

int pixelsToTwips(int pixels, double dpi) {
    return int(std::lround(pixels * 1440.0 / dpi));
}
