// Feeds arbitrary text to the theaters ini reader as start-up reads it, then
// selects every theater it found: names stay within their slot and the menu
// holds at most ten theater items.
#include <cstdlib>
#include <string_view>

#include "base/command_ids.h"
#include "shell/theaters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lorvane;
    const IniProfile profile = IniProfile::Parse({reinterpret_cast<const char*>(data), size});
    Theaters theaters;
    MenuBar menu = LorvaneMenu();
    LoadTheaterList(theaters, menu, profile);
    if (theaters.count < 0 || theaters.count > kTheaterSlots) std::abort();
    if (menu.popups[kTheaterPopup].items.size() != 2u + static_cast<size_t>(theaters.count)) std::abort();
    for (int k = 0; k < theaters.count; ++k) {
        const std::string& name = theaters.table[static_cast<size_t>(k)];
        if (name.size() > kTheaterNameLength) std::abort();
        ReadTheaterSettings(profile, name, theaters.settings);
    }
    return 0;
}
