#include "cli/png_output.h"

#include <dlfcn.h>

#include <iostream>
#include <vector>

#include "base/file_io.h"
#include "cli/image_writer/image_writer.h"

namespace lorvane::cli {

namespace {

// The image writer's entry point, from the module beside the tool (the
// build folder) or in the library folder of an installation; null when
// neither loads.
DrawPngFunction LoadImageWriter() {
    std::error_code error;
    const std::filesystem::path tool = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path folder = error ? std::filesystem::path(".") : tool.parent_path();
    for (const std::filesystem::path& candidate :
         {folder / kImageWriterModule, folder / ".." / "lib" / "lorvane" / kImageWriterModule}) {
        // Kept loaded until the tool ends.
        if (void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            if (void* entry = ::dlsym(module, kDrawPngSymbol))
                return reinterpret_cast<DrawPngFunction>(entry);
            ::dlclose(module);
        }
    }
    return nullptr;
}

}  // namespace

bool WritePng(const uint32_t* rgb, int width, int height, const Overlay& overlay,
              const std::filesystem::path& path) {
    const DrawPngFunction drawPng = LoadImageWriter();
    if (drawPng == nullptr) {
        std::cerr << "lorvane-cli: cannot load the image writer " << kImageWriterModule << '\n';
        return false;
    }
    std::vector<std::byte> png;
    if (!drawPng(rgb, width, height, overlay, png) || ReplaceFile(path, png) != WriteStatus::Ok) {
        std::cerr << "lorvane-cli: cannot write " << path.string() << '\n';
        return false;
    }
    return true;
}

}  // namespace lorvane::cli
