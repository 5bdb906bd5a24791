#include "platform/song_info.h"

#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

namespace heartstage::platform {

SongFacts InspectSong(const std::string& path) {
  SongFacts facts;
  // The player's own rules: a regular file with something in it, opened without waiting on a FIFO.
  const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (file < 0) return facts;
  struct stat status {};
  mpg123_handle* decoder = nullptr;
  if (fstat(file, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
      fcntl(file, F_SETFL, fcntl(file, F_GETFL) & ~O_NONBLOCK) != -1) {
    decoder = mpg123_new(nullptr, nullptr);
  }
  if (decoder != nullptr) {
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    // Quiet, as the player is: a file that is not MP3 is an ordinary finding here, not a complaint.
    if (mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0) == MPG123_OK &&
        mpg123_open_fd(decoder, file) == MPG123_OK &&
        mpg123_getformat(decoder, &rate, &channels, &encoding) == MPG123_OK && rate > 0) {
      facts.decodable = true;
      facts.sample_rate = rate;
      facts.channels = channels;
      // A scan of every frame gives the exact length of a file with a variable bit rate and no header to say.
      mpg123_scan(decoder);
      const off_t samples = mpg123_length(decoder);
      if (samples > 0) facts.seconds = static_cast<double>(samples) / static_cast<double>(rate);
    }
    mpg123_close(decoder);
    mpg123_delete(decoder);
  }
  close(file);
  return facts;
}

}  // namespace heartstage::platform
