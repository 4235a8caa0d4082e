#pragma once
// The rules of the New Path and New Area dialogs over the editor's choices.
// The dialogs keep nothing between openings: each New Path dialog opens on
// the type last chosen and proposes the width last accepted for that type.
// (The delete dialogs' rules are EditorPanel::DeletePathNumber and
// DeleteAreaNumber.)

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/editor_state.h"
#include "editor/working_set.h"

namespace lorvane {

// A number typed by the user, read as "%d" reads it: leading white space, an
// optional sign, then digits up to the first other character. nullopt when
// no digit comes first. Values beyond the int32 range are cut to it.
std::optional<int32_t> ScanDecimal(std::string_view text);

// What the New Path dialog shows: the selected position of its type list and
// the text of its width field.
struct NewPathForm {
    int selected = 0;
    std::string widthText;
};

// "River", "Road", "Bridge", "Railway".
std::vector<std::string> NewPathTypeNames();
// Opening: Road and its width when no path type was chosen yet, otherwise
// the remembered width of the current type; a width of 0 becomes 50.
NewPathForm OpenNewPath(EditorChoices& choices);
// Another type chosen in the list: it becomes the current type at once (also
// if the dialog is then cancelled) and the field shows its remembered width.
NewPathForm ChangeNewPathType(EditorChoices& choices, int position);
// OK: the width field read as a number (text that is not one keeps the
// width), the type of the selected position; both become the current choice
// and the panel's Width and Type read-outs, and the width is remembered for
// that type.
void AcceptNewPath(EditorChoices& choices, const NewPathForm& form, PanelReadouts& readouts);

// Continue in the Path group: what OK in a New Path dialog opened now would
// take, on the type shown in the Type read-out (the type of the last segment
// taken in, or the one last chosen) and never a width of 0.
NewPathForm ContinuePath(EditorChoices& choices);
// The refusal of a width field that does not read as 1 foot or more;
// nullopt when the width is good. The dialog stays open after it.
inline constexpr const char* kWidthRefusal = "The width must be a number of 1 foot or more.";
std::optional<std::string> CheckNewPathWidth(const NewPathForm& form);

// "Water" … "Urban": Runway and Station are not offered.
std::vector<std::string> NewAreaTypeNames();
// Opening: Water when no area type was chosen yet; returns the position to
// select.
int OpenNewArea(EditorChoices& choices);
// OK with the selected position: the current area type and the Type read-out.
void AcceptNewArea(EditorChoices& choices, int selected, PanelReadouts& readouts);

}  // namespace lorvane
