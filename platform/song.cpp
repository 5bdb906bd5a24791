#include "platform/song.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <mpg123.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace heartstage::platform {
namespace {

using namespace std::chrono_literals;

// SDL_mixer restarts a song that repeats inside its audio callback, without a gap, but tells nobody; the
// decoder's position falling back is how a restart shows. Polled this often, no restart is missed unless the
// whole song is shorter than the interval plus one block of decoding (a twentieth of a second for CD-quality
// sound, more for low sample rates).
constexpr auto kPositionPollInterval = 25ms;

constexpr int kMixingFrequency = 44100;
// About 46 ms: small enough that a stop is heard at once, large enough for a busy machine.
constexpr int kMixingBufferFrames = 2048;

struct SongRequest {
  std::string path;
  int repeat_count = 0;
};

class FileDescriptor {
 public:
  explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~FileDescriptor() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  FileDescriptor(FileDescriptor&& other) noexcept : descriptor_(other.Release()) {}
  FileDescriptor& operator=(FileDescriptor&&) = delete;

  bool IsOpen() const { return descriptor_ >= 0; }
  int Get() const { return descriptor_; }
  int Release() { return std::exchange(descriptor_, -1); }

 private:
  int descriptor_;
};

// Only a regular file with something in it is worth handing to the decoder. O_NONBLOCK because opening a
// FIFO for reading would otherwise wait for a writer that may never come, and the player thread with it.
FileDescriptor OpenNonEmptyRegularFile(const std::string& path) {
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat status {};
  if (!file.IsOpen() || fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size == 0) {
    return FileDescriptor(-1);
  }
  const int flags = fcntl(file.Get(), F_GETFL);
  if (flags == -1 || fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) == -1) return FileDescriptor(-1);
  return file;
}

// mpg123 writes its complaints about a stream it cannot decode to stderr, and SDL_mixer gives it no way to
// stay quiet. So a quiet decoder of our own looks for the first audio frame beforehand, and a file without
// one never reaches SDL_mixer.
bool HasMpegAudioFrame(int descriptor) {
  mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
  if (decoder == nullptr) return false;
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  const bool found = mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0) == MPG123_OK &&
                     mpg123_open_fd(decoder, descriptor) == MPG123_OK &&
                     mpg123_getformat(decoder, &rate, &channels, &encoding) == MPG123_OK;
  mpg123_close(decoder);
  mpg123_delete(decoder);
  return found && lseek(descriptor, 0, SEEK_SET) == 0;
}

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card ALSA prints a screenful to stderr before SDL moves on to its next driver; a missing
// device is an ordinary situation for us. ALSA comes in with SDL, so it is looked up rather than linked.
void SilenceAlsaMessages() {
  using MessageHandler = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetHandler = int (*)(MessageHandler);
  if (auto* set_handler = reinterpret_cast<SetHandler>(dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler"))) {
    set_handler(IgnoreAlsaMessage);
  }
}

// Termination signals are for the user-interface thread to take. SIGPIPE must not end the program when a
// sound server goes away. The threads SDL and the sound server's client library start inherit this mask.
void BlockAsynchronousSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal_number : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE}) sigaddset(&signals, signal_number);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

// Everything that touches SDL, used by the player thread alone.
class AudioSession {
 public:
  explicit AudioSession(std::atomic<int>& start_count) : start_count_(start_count) {}
  ~AudioSession() {
    StopMusic();
    CloseDevice();
  }
  AudioSession(const AudioSession&) = delete;
  AudioSession& operator=(const AudioSession&) = delete;

  bool Playing() const { return music_ != nullptr; }

  void Play(const SongRequest& request) {
    StopMusic();
    if (request.repeat_count == 0) return;
    FileDescriptor file = OpenNonEmptyRegularFile(request.path);
    if (!file.IsOpen() || !HasMpegAudioFrame(file.Get()) || !OpenDevice()) return;

    FILE* stream = fdopen(file.Get(), "rb");
    if (stream == nullptr) return;
    file.Release();
    SDL_RWops* source = SDL_RWFromFP(stream, SDL_TRUE);
    if (source == nullptr) {
      std::fclose(stream);
      return;
    }
    music_ = Mix_LoadMUSType_RW(source, MUS_MP3, 1);
    if (music_ == nullptr) return;
    // SDL_mixer's loop count is the number of plays, except that 0 also plays once.
    if (Mix_PlayMusic(music_, request.repeat_count < 0 ? -1 : request.repeat_count) != 0) {
      StopMusic();
      return;
    }
    last_position_ = 0.0;
    start_count_ = 1;
  }

  void CountRestarts() {
    if (music_ == nullptr) return;
    if (!Mix_PlayingMusic()) {
      StopMusic();
      return;
    }
    // Within one play the position only grows; between two polls less than a play apart it can only fall
    // by going through the beginning.
    const double position = Mix_GetMusicPosition(music_);
    if (position < 0.0) return;
    if (position < last_position_) ++start_count_;
    last_position_ = position;
  }

 private:
  bool OpenDevice() {
    if (device_open_) return true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "heartstage");
    SilenceAlsaMessages();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      SDL_Quit();
      return false;
    }
    Mix_Init(MIX_INIT_MP3);
    // The same mixing format on every machine; SDL converts for a device that wants another.
    if (Mix_OpenAudioDevice(kMixingFrequency, AUDIO_S16SYS, 2, kMixingBufferFrames, nullptr, 0) != 0) {
      Mix_Quit();
      SDL_Quit();
      return false;
    }
    device_open_ = true;
    return true;
  }

  // SDL_Quit rather than closing the audio part alone: the song is the program's only use of SDL, and
  // SDL_Quit also frees what SDL keeps for the calling thread.
  void CloseDevice() {
    if (!device_open_) return;
    Mix_CloseAudio();
    Mix_Quit();
    SDL_Quit();
    device_open_ = false;
  }

  void StopMusic() {
    if (music_ != nullptr) {
      Mix_HaltMusic();
      Mix_FreeMusic(music_);
      music_ = nullptr;
    }
    start_count_ = 0;
  }

  std::atomic<int>& start_count_;
  bool device_open_ = false;
  Mix_Music* music_ = nullptr;
  double last_position_ = 0.0;
};

// The caller's side only hands requests over; the player thread does everything that can take time.
class SongPlayer {
 public:
  void Play(SongRequest request) {
    std::lock_guard control(control_mutex_);
    {
      std::lock_guard lock(mutex_);
      pending_ = std::move(request);
    }
    if (worker_.joinable()) {
      wake_.notify_one();
      return;
    }
    try {
      worker_ = std::thread(&SongPlayer::Run, this);
    } catch (const std::system_error&) {
      std::lock_guard lock(mutex_);
      pending_.reset();
    }
  }

  void Stop() {
    std::lock_guard control(control_mutex_);
    if (!worker_.joinable()) return;
    {
      std::lock_guard lock(mutex_);
      stop_requested_ = true;
      pending_.reset();
    }
    wake_.notify_one();
    worker_.join();
    stop_requested_ = false;
  }

  int StartCount() const { return start_count_; }

 private:
  void Run() {
    BlockAsynchronousSignals();
    AudioSession session(start_count_);
    std::unique_lock lock(mutex_);
    const auto has_news = [this] { return stop_requested_ || pending_.has_value(); };
    for (;;) {
      if (session.Playing()) {
        wake_.wait_for(lock, kPositionPollInterval, has_news);
      } else {
        wake_.wait(lock, has_news);
      }
      if (stop_requested_) break;
      std::optional<SongRequest> request = std::exchange(pending_, std::nullopt);
      lock.unlock();
      if (request) {
        session.Play(*request);
      } else {
        session.CountRestarts();
      }
      lock.lock();
    }
  }

  // Held through a whole Play or Stop, so that a Stop's join and a Play's start of the thread never mix.
  std::mutex control_mutex_;
  std::thread worker_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<SongRequest> pending_;
  bool stop_requested_ = false;

  std::atomic<int> start_count_{0};
};

SongPlayer& Player() {
  // Never destroyed: the program may end with the song still playing, and a running std::thread destroyed
  // at exit would abort it.
  static auto* player = new SongPlayer;
  return *player;
}

}  // namespace

void PlaySong(const std::string& path, int repeat_count) {
  // Resolved now, so that the song is the one meant even if the working directory changes meanwhile.
  std::error_code error;
  std::filesystem::path resolved = std::filesystem::absolute(path, error);
  Player().Play({error ? path : resolved.string(), repeat_count});
}

void StopSong() {
  Player().Stop();
}

int SongStartCount() {
  return Player().StartCount();
}

}  // namespace heartstage::platform
