#pragma once

#include "BenchDiscs.h"

// Whole process against whole process: "disc-titles FOLDER" against
// libbluray's "bd_list_titles -a FOLDER", start to exit, output thrown away,
// alternating run by run. Prints one line per disc with both title counts.
// Returns false when bd_list_titles is not installed (package libbluray-bin).
bool CompareProcesses(const QList<BenchDisc>& discs, int runs, const QString& discTitles);
