#pragma once

// What a pane or the frame offers the command routing: it runs the commands it knows and reports
// their state. The frame asks its targets in turn; the first that handles a command owns it.

namespace Commands {

struct CommandState {
    bool handled = false;  // the target knows the command
    bool enabled = false;
    bool checked = false;
};

class ICommandTarget {
public:
    // Runs a command by id; false when the target does not handle it.
    virtual bool OnCommand(int id) = 0;
    [[nodiscard]] virtual CommandState QueryCommandState(int id) = 0;

protected:
    ~ICommandTarget() = default;
};

}  // namespace Commands
