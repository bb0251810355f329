#pragma once
// Undo and redo of the editors' changes, as named steps. The history records
// the stored tables only (programs, directions, channels, calendar, channel
// count, delays) and the safety data beside them; the editing state — file
// name, working folder, the program on screen — is never rolled back, so an
// undo cannot make "Сохранить" write one project's tables under another
// project's name.
//
// Each edit pushes its own step once it has changed the tables: `record`
// with the step's name ("вставка тактов") takes the tables as they are now
// and keeps the ones before as the way back. A command that replaces the
// tables in one go (a dialog's "Ок") records once, and its whole change is
// one step. Nothing watches the tables between edits.
//
// The clean state (the tables as last saved or opened) is tracked by the
// history: stepping back to it clears Modified, unless something the history
// does not hold (the plan) was changed meanwhile.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "model/configuration.h"

namespace livra {

class EditHistory {
public:
    // At most `depth` undo steps are kept (a configuration's tables take
    // about half a megabyte), the oldest dropped first.
    explicit EditHistory(std::size_t depth = 50);
    ~EditHistory();

    // Forgets every step; `c` becomes the current (and clean) state. For
    // "Создать", "Открыть" and a read from the controller: their tables
    // belong to another project.
    void reset(const Configuration& c);

    // Records the change since the last recorded state as one step named
    // `name`; false (and no step) when the tables are the same. A new step
    // empties the redo list. Steps with the same nonzero `mergeKey` in a row
    // (the keystrokes of one field) become one step, unless it was undone.
    bool record(const Configuration& c, std::string name, int mergeKey = 0);
    // A step without a name.
    bool checkpoint(const Configuration& c) { return record(c, {}); }

    // The current state is what the project file holds now ("Сохранить").
    void markClean(const Configuration& c);
    bool isClean() const;

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    std::size_t undoSteps() const { return undo_.size(); }
    // The names of the steps "Отменить" and "Повторить" would take; empty
    // when there is none or it has no name.
    std::string undoName() const;
    std::string redoName() const;

    // Puts back the tables of the step before (after) the current one and
    // sets Modified (clears it on the clean state). A change not yet
    // recorded is recorded first, so it is what "Отменить" takes back.
    // Returns the first program whose tacts changed, −1 when none did
    // (directions, calendar or delays only), or −2 when there was nothing to
    // undo (redo).
    int undo(Configuration& c);
    int redo(Configuration& c);

private:
    struct Tables;
    // A step holds the tables on its far side: an undo step the state before
    // the edit, a redo step the state after it.
    struct Step {
        std::unique_ptr<Tables> tables;
        std::string name;
        int mergeKey = 0;
        Step(std::unique_ptr<Tables> t, std::string n, int key);
        Step(Step&&) noexcept;
        Step& operator=(Step&&) noexcept;
        ~Step();
    };
    int step(Configuration& c, std::deque<Step>& from, std::deque<Step>& to);
    void noteOutsideChange(const Configuration& c);

    std::size_t depth_;
    std::uint64_t nextId_ = 1;
    std::uint64_t cleanId_ = 0;  // 0: no state of the history is clean
    bool outsideChange_ = false;  // Modified set by something the history does not hold
    bool mergeOpen_ = false;      // the last step may still take keystrokes
    std::unique_ptr<Tables> current_;
    std::deque<Step> undo_, redo_;
};

}  // namespace livra
