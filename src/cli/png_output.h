#pragma once
// PNG output of the command-line tool's pictures.

#include <QImage>
#include <filesystem>

namespace lorvane::cli {

// Encodes the image as PNG and replaces the file at path safely; false when
// either fails.
bool WritePng(const QImage& image, const std::filesystem::path& path);

}  // namespace lorvane::cli
