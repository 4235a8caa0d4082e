#pragma once
// The items of one kind in a frame, in order.

#include <variant>
#include <vector>

#include "editor/frame.h"

namespace lorvane::testing {

template <typename T>
std::vector<T> ItemsOf(const std::vector<FrameItem>& items) {
    std::vector<T> found;
    for (const FrameItem& item : items) {
        if (const T* t = std::get_if<T>(&item)) found.push_back(*t);
    }
    return found;
}

}  // namespace lorvane::testing
