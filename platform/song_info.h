// What the show checker reports about the song: whether the player will find audio in the file, and for how
// long it plays before it starts again.
#pragma once

#include <string>

namespace heartstage::platform {

struct SongFacts {
  bool decodable = false;  // the player finds an MPEG audio frame and plays it; otherwise the show is silent
  double seconds = 0.0;    // one play, start to end
  long sample_rate = 0;    // per second
  int channels = 0;
};

// Looks at the MP3 file at `path` as the player does, without playing it and without a sound device.
SongFacts InspectSong(const std::string& path);

}  // namespace heartstage::platform
