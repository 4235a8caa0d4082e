#include "cli/tile_image_input.h"

#include <iostream>
#include <string>

#include "base/file_io.h"

namespace lorvane::cli {

std::optional<PcxImage> ReadTileImage(const PathArgument& tile) {
    const std::string& path = tile.text();
    std::string detail;
    std::optional<FileBytes> file = FileBytes::Open(tile.path(), &detail);
    if (!file) {
        std::cerr << "lorvane-cli: cannot read " << detail << '\n';
        return std::nullopt;
    }
    const std::optional<PcxHeader> header = ReadPcxHeader(file->Bytes());
    if (header && header->Usable() && !PcxDataCanHold(*header, file->Bytes())) {
        std::cerr << "lorvane-cli: " << path << ": damaged PCX (its header claims "
                  << header->Width() << " x " << header->Height() << " pixels, more than its "
                  << file->Size() - kPcxHeaderSize << " bytes of data can hold)\n";
        return std::nullopt;
    }
    std::optional<PcxImage> image = DecodePcx(file->Bytes());
    if (!image) {
        std::cerr << "lorvane-cli: " << path
                  << " is not a PCX image that can be shown (width, height and bytes per line 1 to "
                  << kPcxMaxDimension << ", 1 to " << kPcxMaxPlanes << " planes)\n";
    }
    return image;
}

}  // namespace lorvane::cli
