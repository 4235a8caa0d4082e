#include "cli/png_output.h"

#if defined(_WIN32)
#include <windows.h>
#undef ReplaceFile  // windows.h names ReplaceFileA so; ours is lorvane::ReplaceFile
#else
#include <dlfcn.h>
#endif

#include <iostream>
#include <vector>

#include "base/file_io.h"
#include "base/path_text.h"
#include "cli/cli.h"
#include "cli/image_writer/image_writer.h"

namespace lorvane::cli {

namespace {

// The folder of the running tool; "." when it cannot be told.
std::filesystem::path ToolFolder() {
    std::error_code error;
#if defined(_WIN32)
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return ".";
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(name.size() * 2);
    }
    const std::filesystem::path tool(name);
#else
    const std::filesystem::path tool = std::filesystem::read_symlink("/proc/self/exe", error);
#endif
    return error ? std::filesystem::path(".") : tool.parent_path();
}

// The entry point of the module at path; null when it does not load. A
// loaded module stays until the tool ends.
DrawPngFunction LoadEntry(const std::filesystem::path& path) {
#if defined(_WIN32)
    if (HMODULE module = LoadLibraryW(path.c_str())) {
        if (FARPROC entry = GetProcAddress(module, kDrawPngSymbol))
            return reinterpret_cast<DrawPngFunction>(reinterpret_cast<void (*)()>(entry));
        FreeLibrary(module);
    }
#else
    if (void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (void* entry = ::dlsym(module, kDrawPngSymbol))
            return reinterpret_cast<DrawPngFunction>(entry);
        ::dlclose(module);
    }
#endif
    return nullptr;
}

// The image writer's entry point, from the module beside the tool (the
// build folder) or in the library folder of an installation; null when
// neither loads.
DrawPngFunction LoadImageWriter() {
    const std::filesystem::path folder = ToolFolder();
    for (const std::filesystem::path& candidate :
         {folder / kImageWriterModule, folder / ".." / "lib" / "lorvane" / kImageWriterModule}) {
        if (const DrawPngFunction entry = LoadEntry(candidate)) return entry;
    }
    return nullptr;
}

}  // namespace

void ShowPictureAllocationError() {
    StderrMessages messages;
    messages.Error("Failed to allocate memory for the picture.", "Memory Allocation Error");
}

bool WritePng(const uint32_t* rgb, int width, int height, const Overlay& overlay,
              const OutputTarget& target) {
    const DrawPngFunction drawPng = LoadImageWriter();
    if (drawPng == nullptr) {
        std::cerr << "lorvane-cli: cannot load the image writer " << kImageWriterModule << '\n';
        return false;
    }
    std::vector<std::byte> png;
    const DrawPngResult drawn = drawPng(rgb, width, height, overlay, png);
    if (drawn == DrawPngResult::NoMemory) {
        ShowPictureAllocationError();
        return false;
    }
    std::string detail;
    if (drawn != DrawPngResult::Drawn || ReplaceFile(target, png, &detail) != WriteStatus::Ok) {
        std::cerr << "lorvane-cli: cannot write " << (detail.empty() ? target.Name() : detail)
                  << '\n';
        return false;
    }
    return true;
}

}  // namespace lorvane::cli
