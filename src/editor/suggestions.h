#pragma once
// Suggested paths of the tile on screen (trace/suggester.h), shown over it
// as a ghost layer until each is accepted (it becomes a path, one command of
// the history) or rejected (it goes). One of them is picked: A and D act on
// it, and the next one is picked after it.
//
// A suggestion's type comes from its colour: each path type may have a
// colour of its own (set once per theater, kept in the settings), and a
// suggestion takes the type whose colour is nearest to its own.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/edit_command.h"
#include "editor/view_transform.h"
#include "trace/suggester.h"

namespace lorvane {

using SuggestionColour = std::array<uint8_t, 3>;  // red, green, blue

// The colour of each path type, by position in PathTypeCodes (River, Road,
// Bridge, Railway, No Data); none: the type is never suggested by colour.
struct SuggestionTypes {
    std::array<std::optional<SuggestionColour>, 5> colours{};
    bool operator==(const SuggestionTypes&) const = default;

    // Rivers blue, roads grey, railways dark brown.
    static SuggestionTypes Defaults();
    // The position of the type whose colour is nearest; Road when no type
    // has a colour.
    int32_t TypeOf(SuggestionColour colour) const;
    // The colour stands for that type from now on: no other type keeps a
    // colour near it (within 10 ΔE).
    void Assign(int32_t typeChoice, SuggestionColour colour);
};

// A type's colour as the settings keep it ("r,g,b"), and read back; nullopt
// for any other text.
std::string FormatSuggestionColour(SuggestionColour colour);
std::optional<SuggestionColour> ParseSuggestionColour(const std::string& text);

struct Suggestion {
    SuggestedPath path;
    int32_t typeChoice = 0;  // position in PathTypeCodes
};

class SuggestionLayer {
  public:
    // The layer shows these, typed by their colours; the first is picked.
    void Show(std::vector<SuggestedPath> paths, const SuggestionTypes& types);
    void Clear();
    bool empty() const { return items_.empty(); }
    const std::vector<Suggestion>& items() const { return items_; }
    std::optional<size_t> picked() const;
    void Pick(size_t index);
    // The suggestion nearest to a point within reach (feet); nullopt when none.
    std::optional<size_t> Nearest(FeetPointF point, double reachFeet) const;
    // Every suggestion typed again by its colour.
    void Retype(const SuggestionTypes& types);

    // Accepting: the picked suggestion (or every one) taken off the layer as
    // the command that adds its segments as paths of the tile after its
    // last entry; null when there is none. Rejecting drops it.
    std::unique_ptr<EditCommand> AcceptPicked(int32_t tileId, int32_t lastEntry);
    std::unique_ptr<EditCommand> AcceptAll(int32_t tileId, int32_t lastEntry);
    void RejectPicked();
    void RejectAll() { Clear(); }

  private:
    std::vector<Suggestion> items_;
    size_t picked_ = 0;
};

}  // namespace lorvane
