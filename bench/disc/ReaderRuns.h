#pragma once

#include "BenchDiscs.h"

// DiscReader from read() to finished() against ReadBlurayDisc called
// directly, alternating run by run on each disc. Needs a QCoreApplication.
void CompareDiscReader(const QList<BenchDisc>& discs, int runs);
