#pragma once

#include <QVector>

// The grid column under a horizontal position, for sorting by the column that was right-clicked.
// colPos[k] is the left edge of column k in the grid's own coordinates (negative for columns
// scrolled out to the left), ascending. Column k is taken when x lies strictly between its left
// edge and the next column's; the last column when x lies right of its left edge. A position
// exactly on an edge or left of the first edge, and an empty grid, give column 0.
int columnUnderMouse(const QVector<double>& colPos, double x);
