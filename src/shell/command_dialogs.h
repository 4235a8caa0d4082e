#pragma once
// The two modal dialogs that the main window's commands run: the set dialog
// ("Edit Set Terrain Type", in its three modes) and the Theater.map dialog
// "Edit Theater.map Information". The windows only show texts and pass the
// user's input back; the rules live with the commands.

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "terrain/theater_header.h"
#include "tiledb/tile_sets.h"

namespace lorvane {

// Button 1 of the set dialog with the number as typed and the selected type
// list position: true when the dialog is to end with 1, false when it stays
// open (a warning was shown).
using SetDialogApply = std::function<bool(std::string_view numberText, int typePosition)>;

// The texts of the Theater.map dialog's edit controls, by control id.
using TheaterMapTexts = std::map<int, std::string>;

class CommandDialogs {
  public:
    virtual ~CommandDialogs() = default;
    // Shows the set dialog as the view says and calls apply for each press of
    // button 1; true when it ended through apply, false when cancelled.
    virtual bool RunSetDialog(const SetDialogView& view, const SetDialogApply& apply) = 0;
    // Shows the Theater.map dialog with the texts; true with the edited texts
    // for "Apply Changes", false for "Cancel".
    virtual bool RunTheaterMapDialog(TheaterMapTexts& texts) = 0;
};

// The Theater.map dialog's captions and the labels besides its fields.
inline constexpr const char* kTheaterMapDialogTitle = "Edit Theater.map Information";
inline constexpr const char* kTheaterMapGroupTitle = "Terrain LOD Map Dimensions";
inline constexpr const char* kHemisphereNote = "(Southern and Western Hemispheres are negative)";
inline constexpr const char* kApplyChangesText = "Apply Changes";
// An edit control holds at most this many characters.
inline constexpr size_t kDialogTextLength = 255;

// Every field of the header formatted for its control ("%d", or "%f" with
// six decimals).
TheaterMapTexts TheaterMapDialogTexts(const TheaterMapHeader& header);
// Scans each control's text (cut to 255 characters) into its field; text
// that does not scan leaves the field as it was.
void ApplyTheaterMapDialogTexts(TheaterMapHeader& header, const TheaterMapTexts& texts);

}  // namespace lorvane
