// How the fuzz targets report a broken invariant: a message naming it, then abort(), which libFuzzer records
// as a crash and saves the input of, so every finding can be replayed with the target and that file.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace heartstage::fuzz {

inline void Require(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "broken invariant: %s\n", invariant);
  std::abort();
}

}  // namespace heartstage::fuzz
