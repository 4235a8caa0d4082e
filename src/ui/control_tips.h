#pragma once
// The tooltips of the editor panel's controls, by control id, and the look
// of its read-outs: shown, never typed into.

class QWidget;

namespace lorvane {

// Gives every control of the panel (found by its object name, the control
// id) its tooltip, and the read-outs the look of text that only shows.
void AddControlTips(QWidget& panel);
// The tooltip of a control id; null when the table has none.
const char* ControlTip(int id);

}  // namespace lorvane
