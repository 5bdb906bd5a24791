// heartstage-check [--fix] [SHOW_FOLDER]: checks a show folder (by default the Default beside this program)
// and tells whoever prepares the show what the show will make of it. Exit status 0 when the show is sound,
// 1 with warnings, 2 when the folder cannot be read.
#include <cstring>
#include <iostream>
#include <optional>

#include "checker/show_check.h"
#include "platform/inspection.h"

namespace {

constexpr const char* kUsage =
    "usage: heartstage-check [--fix] [SHOW_FOLDER]\n"
    "\n"
    "Checks a show folder as the show will read it and reports, in plain words, what the show will do with\n"
    "each file, with a warning and its fix for everything that would give a wrong show.\n"
    "SHOW_FOLDER defaults to the folder Default beside this program.\n"
    "\n"
    "  --fix   first convert the text files to GBK with CR LF line ends, keeping each original as NAME.bak\n"
    "\n"
    "Exit status: 0 the show is sound, 1 warnings, 2 the folder cannot be read.\n";

}  // namespace

int main(int argument_count, char** arguments) {
  heartstage::checker::CheckOptions options;
  std::optional<std::filesystem::path> folder;
  for (int i = 1; i < argument_count; ++i) {
    const char* argument = arguments[i];
    if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
      std::cout << kUsage;
      return 0;
    }
    if (std::strcmp(argument, "--fix") == 0) {
      options.fix = true;
    } else if (argument[0] == '-' && argument[1] != '\0' && !folder) {
      std::cerr << "heartstage-check: unknown option " << argument << "\n\n" << kUsage;
      return static_cast<int>(heartstage::checker::Verdict::CannotRead);
    } else if (!folder) {
      folder = argument;
    } else {
      std::cerr << "heartstage-check: one show folder at a time\n\n" << kUsage;
      return static_cast<int>(heartstage::checker::Verdict::CannotRead);
    }
  }
  options.folder = folder ? *folder : heartstage::checker::DefaultShowFolder();

  const heartstage::platform::InspectionSession session;
  const auto verdict = heartstage::checker::CheckShow(options, std::cout);
  std::cout.flush();
  return static_cast<int>(verdict);
}
