// heartstage-check: reads a show folder with the show's own loading code and tells whoever prepares the
// show, in plain language, what the show will do with each file, and warns of the pitfalls that silently
// give a wrong show, each with its fix. With --fix it first rewrites the text files as the show reads them.
#pragma once

#include <filesystem>
#include <ostream>

namespace heartstage::checker {

// The process's exit status.
enum class Verdict {
  Sound = 0,       // no warnings
  Warnings = 1,    // the show runs, but not as prepared
  CannotRead = 2,  // no folder to check
};

// Pictures and texts are measured against the commonest laptop screen; larger screens show more.
inline constexpr int kAssumedScreenWidth = 1366;
inline constexpr int kAssumedScreenHeight = 768;

// A message line longer than this would not fit the report's line; the show's message box shows it whole.
inline constexpr int kMessageReportCharacters = 48;

struct CheckOptions {
  std::filesystem::path folder;
  bool fix = false;
};

// Checks the show in `options.folder`, after rewriting its text files when `options.fix` asks, and writes the
// report to `out`. Needs an InspectionSession for the pictures and the font.
Verdict CheckShow(const CheckOptions& options, std::ostream& out);

// The folder Default beside this program file, where the show looks for its files.
std::filesystem::path DefaultShowFolder();

}  // namespace heartstage::checker
