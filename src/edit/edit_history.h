#pragma once
// Undo and redo of the editors' changes. The history records the stored
// tables only (programs, directions, channels, calendar, channel count,
// delays) and the safety data beside them; the editing state — file name, working folder, the program on
// screen — is never rolled back, so an undo cannot make "Сохранить" write
// one project's tables under another project's name.
//
// It works by checkpoints: after every user action the caller hands over
// the configuration; when its tables differ from the last checkpoint, the
// last checkpoint becomes an undo step. Every editor is covered this way
// without each of them knowing about the history.
#include <cstddef>
#include <deque>
#include <memory>

#include "model/configuration.h"

namespace livra {

class EditHistory {
public:
    // At most `depth` undo steps are kept (a configuration's tables take
    // about half a megabyte), the oldest dropped first.
    explicit EditHistory(std::size_t depth = 50);
    ~EditHistory();

    // Forgets every step; `c` becomes the checkpoint. For "Создать",
    // "Открыть" and a read from the controller: their tables belong to
    // another project.
    void reset(const Configuration& c);

    // Records a step when the tables changed since the last checkpoint;
    // true when it did. A new change empties the redo list.
    bool checkpoint(const Configuration& c);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    std::size_t undoSteps() const { return undo_.size(); }

    // Puts back the tables of the step before (after) the current one and
    // sets Modified. A change not yet checkpointed is recorded first, so it
    // is what "Отменить" takes back. Returns the first program whose tacts
    // changed, −1 when none did (directions, calendar or delays only), or
    // −2 when there was nothing to undo (redo).
    int undo(Configuration& c);
    int redo(Configuration& c);

private:
    struct Tables;
    int step(Configuration& c, std::deque<std::unique_ptr<Tables>>& from, std::deque<std::unique_ptr<Tables>>& to);

    std::size_t depth_;
    std::unique_ptr<Tables> checkpoint_;
    std::deque<std::unique_ptr<Tables>> undo_, redo_;
};

}  // namespace livra
