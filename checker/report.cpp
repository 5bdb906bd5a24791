#include "checker/report.h"

#include <cmath>
#include <cstdio>

namespace heartstage::checker {

void Report::Section(std::string_view title) {
  if (!lines_.empty()) lines_.emplace_back();
  lines_.emplace_back(title);
}

void Report::Line(std::string_view text) {
  lines_.push_back("  " + std::string(text));
}

void Report::Warn(std::string problem, std::string fix) {
  warnings_.push_back({std::move(problem), std::move(fix)});
}

void Report::Print(std::ostream& out) const {
  for (const std::string& line : lines_) out << line << '\n';
  out << '\n';
  if (warnings_.empty()) {
    out << "Sound: no warnings. The show will run as prepared.\n";
    return;
  }
  out << "Warnings\n";
  for (std::size_t i = 0; i < warnings_.size(); ++i) {
    out << "  " << i + 1 << ". " << warnings_[i].problem << '\n';
    out << "     Fix: " << warnings_[i].fix << '\n';
  }
  out << '\n'
      << Count(static_cast<long long>(warnings_.size()), "warning", "warnings") << ": the show will run, "
      << "but not quite as prepared.\n";
}

std::string Quote(std::string_view utf8, std::size_t max_characters) {
  std::string quoted = "\xE2\x80\x9C";  // “
  std::size_t characters = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    if (characters == max_characters) {
      quoted += "\xE2\x80\xA6";  // …
      break;
    }
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (lead == '\r') {
      quoted += "\\r";
    } else if (lead == '\n') {
      quoted += "\\n";
    } else if (lead == '\t') {
      quoted += "\\t";
    } else if (lead < 0x20 || lead == 0x7F) {
      quoted += '?';
    } else {
      quoted.append(utf8.substr(i, length));
    }
    i += length;
    ++characters;
  }
  return quoted + "\xE2\x80\x9D";  // ”
}

std::string Padded(std::string_view name, std::size_t width) {
  std::string padded(name);
  if (padded.size() < width) padded.append(width - padded.size(), ' ');
  return padded;
}

std::string Count(long long number, std::string_view singular, std::string_view plural) {
  return std::to_string(number) + " " + std::string(number == 1 ? singular : plural);
}

std::string Duration(double seconds) {
  char text[64];
  if (seconds < 60.0) {
    std::snprintf(text, sizeof text, "%.1f s", seconds);
  } else if (seconds < 3600.0) {
    const long long whole = std::llround(seconds);
    std::snprintf(text, sizeof text, "%lld min %lld s", whole / 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%.1f h", seconds / 3600.0);
  }
  return text;
}

}  // namespace heartstage::checker
