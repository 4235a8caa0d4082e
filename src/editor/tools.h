#pragma once
// The ways of editing the tile on screen, behind one small interface: the
// panel turns the mouse and the keys over the viewer into calls of the tool
// in use, and a tool turns them into commands of the edit document.
//
// Path tool: the first left click opens a path at that point, every further
// click adds a segment from the open point to the click and moves the open
// point there; a right click or Enter ends the path, Esc cancels the open
// point, Backspace (or Undo) steps back one point. Area tool: a left click
// opens a centre, the next one adds the area with the radius to it. While a
// point is open a rubber band follows the pointer. A path opened on an edge
// marker (a neighbour's path crossing the tile's edge) takes that path's
// type and width. The frame of the viewer shows the rubber band as a band of
// the new segment's width (or a disc). Select tool: a click
// picks the nearest entry; dragging an end, a centre or a rim changes it
// (select_tool.h). Trace tool: a path that follows a feature of the image
// from click to click (trace_tool.cpp).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/edit_document.h"
#include "editor/editor_state.h"
#include "editor/frame.h"
#include "editor/picking.h"
#include "editor/selection.h"
#include "editor/snapping.h"
#include "editor/view_transform.h"

namespace lorvane {

class Tracer;

enum class ToolKind { Select, Path, Area, Trace };
enum class MouseButton { Left, Right };
enum class EditorKey { Escape, Enter, Backspace, Delete };

struct Modifiers {
    bool shift = false;
    bool control = false;
    bool alt = false;
};

// The pointer over the image: where in the viewer and in tile feet. For the
// drawing tools the point is already snapped (or held on 15 degrees with
// Shift); the select tool gets the pointer as it is.
struct PointerEvent {
    MouseButton button = MouseButton::Left;
    FeetPoint feet;  // feet as the tables keep them: a float on the tile
    Modifiers modifiers;
    ScreenPoint screen{};  // in the viewer, as the view maps it
    FeetPointF precise{};  // feet before they are held on the tile, in double
    Snapped snap{};        // what the point snapped to
};

// What a tool works with, given by the panel.
class ToolContext {
  public:
    virtual ~ToolContext() = default;
    virtual EditDocument& document() = 0;
    virtual const EditDocument& document() const = 0;
    virtual PanelReadouts& readouts() = 0;
    virtual const EditorChoices& choices() const = 0;
    // The viewer is drawn again once the current event is handled.
    virtual void RequestRefresh() = 0;
    // Leaves this tool for another one.
    virtual void SwitchTool(ToolKind kind) = 0;
    // The zoomable view, how snapping and picking go now, and the entry
    // picked (its list row follows it).
    virtual const ViewTransform& view() const = 0;
    virtual SnapOptions snapOptions(Modifiers modifiers) const = 0;
    virtual PickOptions pickOptions() const = 0;
    virtual std::optional<Pick> selection() const = 0;
    virtual void Select(std::optional<Pick> pick) = 0;
    // The whole selection (selection.h): its entries, the current one last.
    virtual Selection& selected() = 0;
    virtual const Selection& selected() const = 0;
    // What follows features in the tile image on screen, made when first
    // asked for after an image is loaded; null when no image is shown or
    // there was no memory for it.
    virtual Tracer* tracer() = 0;
};

// What a tool adds to the frame: the rubber band, the snap marker, and while
// a drag lasts the tables as they will be.
struct ToolView {
    std::optional<RubberBand> rubber;
    std::optional<Snapped> snap;
    std::optional<EditorWorkingSet> preview;
    // A trace being drawn: its segments as bands of its width.
    std::vector<RubberBand> trace;
    // The box being dragged to select with.
    std::optional<std::array<FeetPointF, 2>> selectBox;
};

// The open point of a stroke: nothing, the last point of an open path, or
// the centre of an area whose radius is being drawn.
enum class StrokePhase { None, PathOpen, CentreOpen };

// A segment the open path added: the command that added it, known by
// identity in the history, and the segment.
struct StrokeStep {
    const EditCommand* command = nullptr;
    WorkingPath segment;
};

struct Stroke {
    StrokePhase phase = StrokePhase::None;
    FeetPoint open;  // the open point, in feet
    // The segments added since the path was opened, and those stepped back
    // (the last stepped back last), which a step forward adds again.
    std::vector<StrokeStep> added;
    std::vector<StrokeStep> steppedBack;
    // The edge marker the open path started on: its segments take the
    // marker's type and width instead of the panel's choices.
    std::optional<NeighbourMarker> marker;
};

class Tool {
  public:
    virtual ~Tool() = default;
    virtual ToolKind kind() const = 0;
    // Mouse buttons pressed and released, and the pointer moved, over the image.
    virtual void Press(ToolContext&, const PointerEvent&) {}
    virtual void Move(ToolContext&, const PointerEvent&) {}
    virtual void Release(ToolContext&, const PointerEvent&) {}
    // A key while the panel has the keyboard; false when the tool has no use for it.
    virtual bool Key(ToolContext&, EditorKey, Modifiers) { return false; }
    // Ends what is open: the rubber band is erased and the viewer refreshed.
    // Nothing when nothing is open.
    virtual void EndStroke(ToolContext&) {}
    // Undo and Redo inside an open stroke: one point back or forward. False
    // when the tool has nothing of its own to step, so that the history does it.
    virtual bool StepBack(ToolContext&) { return false; }
    virtual bool StepForward(ToolContext&) { return false; }
    // What StepBack would undo, for the Edit menu; empty when it steps nothing
    // back of its own.
    virtual std::string StepBackText(const ToolContext&) const { return {}; }
    virtual const Stroke& stroke() const;
    // What the tool adds to the frame now.
    virtual ToolView View(const ToolContext&) const { return {}; }
    // The status bar's text of what is being drawn; empty for the panel's own.
    virtual std::string StatusText(const ToolContext&) const { return {}; }
    // A width typed into the Width field while drawing; false when the tool
    // has no use for it.
    virtual bool TypeWidth(ToolContext&, double) { return false; }
    // A start typed while a path is open: the open point moves there before
    // any segment, the first segment's start after (one command). False
    // when the tool has no open path to move.
    virtual bool MoveStart(ToolContext&, FeetPoint) { return false; }
};

std::unique_ptr<Tool> MakeTool(ToolKind kind);

// The keys of the drawing tools: Esc ends what is open (with nothing open it
// leaves for the select tool), Enter does `enter`, Backspace steps back.
bool DrawingKey(Tool& tool, ToolContext& context, EditorKey key, bool open,
                const std::function<void()>& enter);
// The trace tool (trace_tool.cpp): a path following a feature of the image.
std::unique_ptr<Tool> MakeTraceTool();

}  // namespace lorvane
