#include "base/message.h"

namespace lorvane {

const char* IconName(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error: return "error";
        case MessageIcon::Information: return "information";
        case MessageIcon::Exclamation: return "exclamation";
        case MessageIcon::Warning: return "warning";
    }
    return "error";
}

}  // namespace lorvane
