// The background song played for real: SDL's dummy audio driver, which the test helper sets for every test,
// keeps time like a sound card without needing one.
//
// fixtures/tone.mp3 is 0.4 s of a 440 Hz tone, 176 whole cycles so that it repeats without a click, made with
//   sox -V1 -n -r 44100 -c 2 -b 16 -t wav - synth 0.4 sine 440 vol 0.5 |
//     lame --quiet -b 64 --resample 44.1 - tone.mp3
#include "platform/song.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "../unit/test_folder.h"

namespace heartstage::platform {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using heartstage::testing::TestFolder;

const std::string kTone = HEARTSTAGE_SONG_FIXTURES "/tone.mp3";
constexpr auto kToneLength = 400ms;

// Bounds are generous: the suites share the machine, and sanitizers slow everything down several times.
constexpr auto kAtOnce = 250ms;
constexpr auto kPatience = 10s;
// Long enough for the player to have tried a file several times over, short enough to run many cases.
constexpr auto kSettleTime = 300ms;

std::string Bytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
  return bytes;
}

Clock::duration TimedPlaySong(const std::string& path, int repeat_count) {
  const auto start = Clock::now();
  PlaySong(path, repeat_count);
  return Clock::now() - start;
}

bool WaitForStartCount(const std::function<bool(int)>& wanted, Clock::duration limit) {
  const auto deadline = Clock::now() + limit;
  while (!wanted(SongStartCount())) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// The start counts seen over time, each change once, without the zeros before the song first starts.
// Watches until `enough` holds for the counts so far or `limit` passes.
std::vector<int> WatchStartCounts(const std::function<bool(const std::vector<int>&)>& enough,
                                  Clock::duration limit) {
  std::vector<int> counts;
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline && !enough(counts)) {
    const int count = SongStartCount();
    if ((counts.empty() && count != 0) || (!counts.empty() && counts.back() != count))
      counts.push_back(count);
    std::this_thread::sleep_for(2ms);
  }
  return counts;
}

bool StaysSilentFor(Clock::duration span) {
  const auto deadline = Clock::now() + span;
  while (Clock::now() < deadline) {
    if (SongStartCount() != 0) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// Sets environment variables for one test and puts them back after. SDL reads them on the player thread, so
// the player is stopped on both sides of every change.
class AudioEnvironment {
 public:
  explicit AudioEnvironment(const std::map<std::string, std::string>& variables) {
    StopSong();
    for (const auto& [name, value] : variables) {
      const char* old_value = std::getenv(name.c_str());
      saved_[name] = old_value ? std::optional<std::string>(old_value) : std::nullopt;
      setenv(name.c_str(), value.c_str(), 1);
    }
  }
  ~AudioEnvironment() {
    StopSong();
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  AudioEnvironment(const AudioEnvironment&) = delete;
  AudioEnvironment& operator=(const AudioEnvironment&) = delete;

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

// Everything written to stderr, from any thread, while it exists.
class StderrCapture {
 public:
  explicit StderrCapture(const TestFolder& folder) : path_(folder / "stderr.txt") {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int file = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    dup2(file, STDERR_FILENO);
    close(file);
  }
  ~StderrCapture() { Finish(); }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  std::string Finish() {
    if (saved_ >= 0) {
      std::fflush(stderr);
      dup2(saved_, STDERR_FILENO);
      close(saved_);
      saved_ = -1;
    }
    std::ifstream file(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

 private:
  std::string path_;
  int saved_ = -1;
};

class SongTest : public ::testing::Test {
 protected:
  void TearDown() override { StopSong(); }
};

TEST_F(SongTest, RepeatingWithoutEndStartsAgainEachTimeTheSongEnds) {
  const auto asked = Clock::now();
  EXPECT_LT(TimedPlaySong(kTone, -1), kAtOnce);
  const std::vector<int> counts = WatchStartCounts(
      [](const std::vector<int>& seen) { return !seen.empty() && seen.back() >= 3; }, kPatience);
  const auto third_start_seen = Clock::now();

  EXPECT_EQ(counts, (std::vector<int>{1, 2, 3}));
  // Two restarts take two plays of the tone; counting faster would mean restarts counted twice.
  EXPECT_GT(third_start_seen - asked, 2 * kToneLength * 5 / 8);
}

TEST_F(SongTest, RepeatCountPlaysThatManyTimesThenFallsSilent) {
  for (const int repeat_count : {1, 2, 3}) {
    SCOPED_TRACE(repeat_count);
    PlaySong(kTone, repeat_count);
    const std::vector<int> counts = WatchStartCounts(
        [](const std::vector<int>& seen) { return !seen.empty() && seen.back() == 0; }, kPatience);

    std::vector<int> expected;
    for (int start = 1; start <= repeat_count; ++start) expected.push_back(start);
    expected.push_back(0);
    EXPECT_EQ(counts, expected);
    EXPECT_TRUE(StaysSilentFor(2 * kToneLength));
  }
}

TEST_F(SongTest, FileThatCannotBePlayedGivesSilenceAtOnceWithoutAWord) {
  struct Case {
    const char* name;
    std::function<std::string(const TestFolder&)> make;
  };
  const Case cases[] = {
      {"missing file", [](const TestFolder& folder) { return folder / "Music_BG.mp3"; }},
      {"empty file", [](const TestFolder& folder) { return folder.Write("Music_BG.mp3", ""); }},
      {"directory",
       [](const TestFolder& folder) {
         std::filesystem::create_directory(folder / "Music_BG.mp3");
         return folder / "Music_BG.mp3";
       }},
      {"FIFO without a writer",
       [](const TestFolder& folder) {
         mkfifo((folder / "Music_BG.mp3").c_str(), 0600);
         return folder / "Music_BG.mp3";
       }},
      {"random bytes",
       [](const TestFolder& folder) { return folder.Write("Music_BG.mp3", Bytes(20000, 1)); }},
      {"ID3 tag over random bytes",
       [](const TestFolder& folder) {
         return folder.Write("Music_BG.mp3",
                             std::string("ID3\x03\x00\x00\x00\x00\x00\x10", 10) + Bytes(20000, 2));
       }},
      {"frame header over random bytes",
       [](const TestFolder& folder) {
         return folder.Write("Music_BG.mp3", std::string("\xFF\xFB\x50\x64", 4) + Bytes(20000, 3));
       }},
      {"picture named like a song",
       [](const TestFolder& folder) {
         return folder.Write("Music_BG.mp3", std::string("\x89PNG\r\n\x1A\n", 8) + Bytes(5000, 4));
       }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    TestFolder folder;
    const std::string path = test.make(folder);
    StderrCapture stderr_capture(folder);

    EXPECT_LT(TimedPlaySong(path, -1), kAtOnce);
    EXPECT_TRUE(StaysSilentFor(kSettleTime));
    // The player is not stuck on the bad file: the next song plays.
    PlaySong(kTone, -1);
    EXPECT_TRUE(WaitForStartCount([](int count) { return count >= 1; }, kPatience));
    // A player wrongly waiting for a writer is let go, so that the failure is reported rather than a hang.
    if (std::filesystem::is_fifo(path)) {
      if (const int writer = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); writer >= 0)
        close(writer);
    }
    StopSong();

    EXPECT_EQ(stderr_capture.Finish(), "");
  }
}

TEST_F(SongTest, NoSoundDeviceGivesSilenceAtOnceWithoutAWord) {
  struct Case {
    const char* name;
    std::function<std::map<std::string, std::string>(const TestFolder&)> environment;
  };
  const Case cases[] = {
      {"no such audio driver",
       [](const TestFolder&) {
         return std::map<std::string, std::string>{{"SDL_AUDIODRIVER", "no-such-driver"}};
       }},
      // An empty configuration has no default device on any machine; ALSA complains about that loudly.
      {"ALSA without a device",
       [](const TestFolder& folder) {
         return std::map<std::string, std::string>{{"SDL_AUDIODRIVER", "alsa"},
                                                   {"ALSA_CONFIG_PATH", folder.Write("asound.conf", "")}};
       }},
      {"PulseAudio without a server",
       [](const TestFolder& folder) {
         return std::map<std::string, std::string>{{"SDL_AUDIODRIVER", "pulseaudio"},
                                                   {"PULSE_SERVER", "unix:" + folder / "no-server"},
                                                   {"HOME", folder / "home"},
                                                   {"XDG_CONFIG_HOME", folder / "config"},
                                                   {"XDG_RUNTIME_DIR", folder / "run"}};
       }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    TestFolder folder;
    AudioEnvironment environment(test.environment(folder));
    StderrCapture stderr_capture(folder);

    EXPECT_LT(TimedPlaySong(kTone, -1), kAtOnce);
    EXPECT_TRUE(StaysSilentFor(kSettleTime));
    StopSong();

    EXPECT_EQ(SongStartCount(), 0);
    EXPECT_EQ(stderr_capture.Finish(), "");
  }
}

// A sound server that takes the connection and never answers: SDL waits for it inside SDL_Init.
TEST_F(SongTest, SoundServerThatDoesNotAnswerDoesNotHoldUpTheCaller) {
  TestFolder folder;
  const std::string socket_path = folder / "pulse-native";
  AudioEnvironment environment({{"SDL_AUDIODRIVER", "pulseaudio"},
                                {"PULSE_SERVER", "unix:" + socket_path},
                                {"HOME", folder / "home"},
                                {"XDG_CONFIG_HOME", folder / "config"},
                                {"XDG_RUNTIME_DIR", folder / "run"}});
  const int server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(server, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socket_path.size(), sizeof(address.sun_path));
  std::strcpy(address.sun_path, socket_path.c_str());
  ASSERT_EQ(bind(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(listen(server, 4), 0);

  // From threads of their own, so that a PlaySong that does wait is reported rather than waited for.
  auto first_song = std::async(std::launch::async, [] { PlaySong(kTone, -1); });
  EXPECT_EQ(first_song.wait_for(kAtOnce), std::future_status::ready) << "PlaySong waited for the server";
  pollfd waiting{server, POLLIN, 0};
  ASSERT_EQ(poll(&waiting, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())), 1)
      << "the player never called the sound server";
  const int connection = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
  ASSERT_GE(connection, 0);

  // The player is now waiting for the server; asking for another song must not wait with it.
  auto second_song = std::async(std::launch::async, [] { PlaySong(kTone, 1); });
  EXPECT_EQ(second_song.wait_for(kAtOnce), std::future_status::ready) << "PlaySong waited for the server";
  EXPECT_TRUE(StaysSilentFor(kSettleTime));

  close(connection);
  close(server);
  first_song.wait();
  second_song.wait();
  StopSong();
  EXPECT_EQ(SongStartCount(), 0);
}

TEST_F(SongTest, NextSongReplacesTheOneThatPlays) {
  struct Case {
    const char* name;
    std::string next_song;
    std::vector<int> expected_counts;
  };
  const TestFolder folder;
  const Case cases[] = {
      {"song played once", kTone, {1, 0}},
      {"missing song", folder / "missing.mp3", {}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    PlaySong(kTone, -1);
    ASSERT_TRUE(WaitForStartCount([](int count) { return count >= 2; }, kPatience));

    EXPECT_LT(TimedPlaySong(test.next_song, 1), kAtOnce);
    // The first song had started twice already, so a count of 1 or less is the next song's or silence.
    ASSERT_TRUE(WaitForStartCount([](int count) { return count <= 1; }, kPatience));
    const std::vector<int> counts = WatchStartCounts(
        [](const std::vector<int>& seen) { return !seen.empty() && seen.back() == 0; }, 4 * kToneLength);
    EXPECT_EQ(counts, test.expected_counts);
    EXPECT_TRUE(StaysSilentFor(2 * kToneLength)) << "the first song still plays";
  }
}

TEST_F(SongTest, StopIsSafeWhenNothingPlaysAndTwiceOverAndPlayingCanStartAgain) {
  StopSong();
  EXPECT_EQ(SongStartCount(), 0);

  PlaySong(kTone, -1);
  ASSERT_TRUE(WaitForStartCount([](int count) { return count >= 1; }, kPatience));
  StopSong();
  EXPECT_EQ(SongStartCount(), 0);
  StopSong();
  EXPECT_EQ(SongStartCount(), 0);

  // The device was released and SDL shut down; the next song brings both back.
  PlaySong(kTone, -1);
  EXPECT_TRUE(WaitForStartCount([](int count) { return count >= 1; }, kPatience));
}

// The player mixes 16-bit stereo at 44.1 kHz whatever the device, so that is what the hook receives.
constexpr std::size_t kMixingFrequency = 44100;

// What the mixer hands to the device, recorded from SDL_mixer's post-mix hook on its audio thread.
struct MixRecording {
  std::vector<Sint16> samples = std::vector<Sint16>(kMixingFrequency * 2 * 20);
  std::size_t used = 0;
};

void RecordMix(void* recording_pointer, Uint8* stream, int length) {
  auto& recording = *static_cast<MixRecording*>(recording_pointer);
  const std::size_t count =
      std::min(static_cast<std::size_t>(length) / sizeof(Sint16), recording.samples.size() - recording.used);
  std::memcpy(recording.samples.data() + recording.used, stream, count * sizeof(Sint16));
  recording.used += count;
}

TEST_F(SongTest, RestartLeavesNoSilenceBetweenPlays) {
  PlaySong(kTone, -1);
  ASSERT_TRUE(WaitForStartCount([](int count) { return count >= 1; }, kPatience));

  MixRecording recording;
  Mix_SetPostMix(RecordMix, &recording);
  const int starts_before = SongStartCount();
  const bool restarted_twice =
      WaitForStartCount([&](int count) { return count >= starts_before + 2; }, kPatience);
  Mix_SetPostMix(nullptr, nullptr);
  ASSERT_TRUE(restarted_twice);

  constexpr int kQuiet = 32768 / 100;
  const auto quiet = [&](std::size_t frame) {
    return std::abs(recording.samples[2 * frame]) < kQuiet &&
           std::abs(recording.samples[2 * frame + 1]) < kQuiet;
  };
  const std::size_t frames = recording.used / 2;
  std::size_t frame = 0;
  while (frame < frames && quiet(frame)) ++frame;
  ASSERT_LT(frame, frames) << "nothing was heard";
  std::size_t longest_quiet = 0;
  std::size_t quiet_run = 0;
  for (; frame < frames; ++frame) {
    quiet_run = quiet(frame) ? quiet_run + 1 : 0;
    longest_quiet = std::max(longest_quiet, quiet_run);
  }
  // Two restarts are two plays of the tone apart, 0.8 s, whatever the delay in noticing them.
  EXPECT_GT(frames, kMixingFrequency * 6 / 10);
  EXPECT_LT(longest_quiet, kMixingFrequency * 5 / 1000) << "frames of silence";
}

TEST_F(SongTest, SdlInstallsNoSignalHandlers) {
  struct sigaction interrupt_before = {};
  struct sigaction terminate_before = {};
  sigaction(SIGINT, nullptr, &interrupt_before);
  sigaction(SIGTERM, nullptr, &terminate_before);

  PlaySong(kTone, -1);
  ASSERT_TRUE(WaitForStartCount([](int count) { return count >= 1; }, kPatience));

  struct sigaction interrupt_after = {};
  struct sigaction terminate_after = {};
  sigaction(SIGINT, nullptr, &interrupt_after);
  sigaction(SIGTERM, nullptr, &terminate_after);
  EXPECT_EQ(interrupt_after.sa_handler, interrupt_before.sa_handler);
  EXPECT_EQ(terminate_after.sa_handler, terminate_before.sa_handler);
}

TEST_F(SongTest, ProcessCanEndWhileTheSongPlays) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case {
    const char* name;
    void (*end)(int status);
  };
  const Case cases[] = {
      {"std::_Exit, as the program ends", [](int status) { std::_Exit(status); }},
      {"std::exit, which runs static destructors", [](int status) { std::exit(status); }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EXIT(
        {
          PlaySong(kTone, -1);
          if (!WaitForStartCount([](int count) { return count >= 1; }, kPatience)) std::_Exit(3);
          test.end(0);
        },
        ::testing::ExitedWithCode(0), "");
  }
}

}  // namespace
}  // namespace heartstage::platform
