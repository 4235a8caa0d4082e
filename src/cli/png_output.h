#pragma once
// PNG output of the command-line tool's pictures, drawn and encoded by the
// image writer module (see image_writer/image_writer.h), which is loaded only
// here, when a picture is written, so the other commands start without Qt.

#include <cstdint>
#include <filesystem>

#include "base/file_io.h"
#include "cli/render_overlay.h"

namespace lorvane::cli {

// Says on standard error that a picture can't be allocated.
void ShowPictureAllocationError();

// Draws the overlay over the RGB pixels (0x00RRGGBB, row by row), encodes the
// picture as PNG and replaces the target safely. False after a message
// on standard error when the module cannot be loaded or a step fails.
bool WritePng(const uint32_t* rgb, int width, int height, const Overlay& overlay,
              const OutputTarget& target);

}  // namespace lorvane::cli
