// What the show checker learns about a show from the very decoders, fonts and text conversion the stage
// uses, so that what it reports is what the stage will do: pictures decoded as the controls decode them,
// subtitle lines laid out as the subtitle label lays them out, texts decoded as they are shown.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/forms.h"
#include "show/text.h"

namespace heartstage::platform {

// Fonts and pictures need a Qt application. This one needs no display: unless the user has chosen a Qt
// platform, it takes the offscreen one, so the checker runs on a server or over ssh as well. One at a time.
class InspectionSession {
 public:
  InspectionSession();
  ~InspectionSession();
  InspectionSession(const InspectionSession&) = delete;
  InspectionSession& operator=(const InspectionSession&) = delete;

 private:
  struct Application;
  std::unique_ptr<Application> application_;
};

struct PictureFacts {
  bool decoded = false;
  std::string format;  // "gif", "bmp", ... as the decoder recognised the content
  int width = 0;
  int height = 0;
  int frames = 0;               // 1 for a still picture; the stage animates a picture with more
  std::int64_t key_pixels = 0;  // exactly the key colour: cut out of a heart button
  // Close to the key colour without being it (smoothed edges, lossy saving): these stay and show as a fringe.
  std::int64_t near_key_pixels = 0;
};

// Decodes a picture file's bytes as the picture controls do and counts its pixels of `key`.
PictureFacts InspectPicture(const ByteBuffer& bytes, Color key);

struct LineLayout {
  int natural_width = 0;  // pixels, the line laid out without a limit
  int rows = 0;           // rows it takes in a label `width` pixels wide; an empty line takes one
};

// A line of the subtitle laid out as the subtitle label draws it, in `font`, in a label `width` wide.
LineLayout LayOutSubtitleLine(const Text& line, const FontForm& font, int width);

// The pixels between the tops of two rows of the subtitle label in `font`.
int SubtitleRowStep(const FontForm& font);

// The face that `font` resolves to on this system, e.g. "AR PL UMing CN".
std::string ResolvedFontFamily(const FontForm& font);

// A show text (GBK) as UTF-8, decoded as the stage decodes it for display.
std::string ShowTextToUtf8(const Text& text);

}  // namespace heartstage::platform
