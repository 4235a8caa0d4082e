#include "cli/tile_image_input.h"

#include <iostream>
#include <string>

#include "base/file_io.h"

namespace lorvane::cli {

std::optional<PcxImage> ReadTileImage(const PathArgument& tile) {
    const std::string& path = tile.text();
    std::string detail;
    std::optional<InputFile> file = InputFile::Open(tile.path(), &detail);
    if (!file) {
        std::cerr << "lorvane-cli: cannot read " << detail << '\n';
        return std::nullopt;
    }
    PcxRefusal refusal = PcxRefusal::None;
    std::optional<PcxImage> image = ReadPcx(*file, &refusal);
    const std::optional<PcxHeader> header =
        refusal == PcxRefusal::Damaged ? ReadPcxHeader(*file) : std::nullopt;
    if (refusal == PcxRefusal::Unreadable || (refusal == PcxRefusal::Damaged && !header)) {
        std::cerr << "lorvane-cli: cannot read " << file->Detail() << '\n';
    } else if (refusal == PcxRefusal::Damaged) {
        std::cerr << "lorvane-cli: " << path << ": damaged PCX (its header claims "
                  << header->Width() << " x " << header->Height() << " pixels, more than its "
                  << file->Size() - kPcxHeaderSize << " bytes of data can hold)\n";
    } else if (!image) {
        std::cerr << "lorvane-cli: " << path
                  << " is not a PCX image that can be shown (width, height and bytes per line 1 to "
                  << kPcxMaxDimension << ", 1 to " << kPcxMaxPlanes << " planes)\n";
    }
    return image;
}

}  // namespace lorvane::cli
