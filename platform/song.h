// The background song: an MP3 file played over and over on a thread of its own, so that a slow or missing
// sound system never holds up the user-interface thread and a bad file only means silence.
#pragma once

#include <string>

namespace heartstage::platform {

// Plays the MP3 file at `path` in the background, `repeat_count` times, -1 meaning without end; any song
// already playing stops first. Never holds up the caller, never fails loudly: no sound device, a missing,
// empty, unreadable (FIFO, directory) or corrupt file all give silence and nothing reported.
void PlaySong(const std::string& path, int repeat_count);

// Stops the song and releases the audio device; safe to call when nothing plays, and more than once.
void StopSong();

// How many times the current song has started from its beginning: 1 once it plays, +1 at every restart;
// 0 when nothing plays (e.g. the file could not be played). For tests and the show checker.
int SongStartCount();

}  // namespace heartstage::platform
