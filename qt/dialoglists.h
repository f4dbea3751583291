#pragma once

#include <QStringList>

class QComboBox;

// The fixed choice lists of the settings dialogs, in stored-index order.
QStringList engine_names();       // the engine catalogue, translated
QStringList promotion_pieces();   // Queen, Rook, Bishop, Knight, translated
QStringList next_puzzle_delays(); // Off, 1s, 2s
QStringList engine_levels();      // "1 · beginner ..." ... "15 · full strength ...", translated
QStringList history_sizes();      // Off, 10% ... 50%

// The index to store for a combo box: its current item, or the first one when
// a stored index outside the list left nothing selected.
int stored_index(const QComboBox* box);
