#pragma once

#include <QString>

struct GeneratedDiscMix {
    int copies = 0;      // byte-identical copies of the base disc's playlists
    int variants = 0;    // base playlists changed in a byte no reader looks at
    int lookAlikes = 0;
    int damaged = 0;
    int Total() const { return copies + variants + lookAlikes + damaged; }
};

// Builds in target a disc from the real disc baseDisc (its index, movie
// object, clip information and metadata, an empty STREAM) whose PLAYLIST
// folder holds mix.Total() files, kinds shuffled with a fixed seed.
// Returns false when a file cannot be written.
bool GenerateDisc(const QString& baseDisc, const QString& target, const GeneratedDiscMix& mix);

// Builds in target a disc from the real disc baseDisc whose PLAYLIST folder
// holds count valid playlists, all different: each its own clips (from the
// base disc's CLIPINF), length, streams and chapters, none a look-alike, so
// that every file is a title for any reader.
bool GenerateDistinctDisc(const QString& baseDisc, const QString& target, int count);
