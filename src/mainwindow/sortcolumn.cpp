#include "sortcolumn.h"

int columnUnderMouse(const QVector<double>& colPos, double x) {
    const int cols = int(colPos.size());
    for (int k = 0; k + 1 < cols; ++k)
        if (colPos[k] < x && x < colPos[k + 1])
            return k;
    if (cols > 0 && x > colPos[cols - 1])
        return cols - 1;
    return 0;
}
