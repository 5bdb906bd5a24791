// The checker's report: sections of plain lines, written as the checks go, and the warnings, each with what
// the show will do and how to put it right, gathered and printed together at the end.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace heartstage::checker {

struct Warning {
  std::string problem;  // what is wrong and what the show will do because of it
  std::string fix;
};

class Report {
 public:
  void Section(std::string_view title);
  void Line(std::string_view text);
  void Warn(std::string problem, std::string fix);

  std::size_t WarningCount() const { return warnings_.size(); }

  // The sections, then the warnings and a closing verdict.
  void Print(std::ostream& out) const;

 private:
  std::vector<std::string> lines_;
  std::vector<Warning> warnings_;
};

// A text of the show, already in UTF-8, made fit for one line of the report: quoted, line breaks and tabs
// made visible, cut to `max_characters` with an ellipsis.
std::string Quote(std::string_view utf8, std::size_t max_characters = 40);

// `name` padded with spaces to `width` columns (ASCII names only).
std::string Padded(std::string_view name, std::size_t width);

// "1 line", "3 lines".
std::string Count(long long number, std::string_view singular, std::string_view plural);

// Seconds with one decimal, or minutes and hours where that reads better: "8.7 s", "3 min 20 s", "2.5 h".
std::string Duration(double seconds);

}  // namespace heartstage::checker
