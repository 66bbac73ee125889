#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "controller/context.h"

namespace vezedo::controller {

// What an undo step brings back: the protocol, the wireframe and the blocks (small values),
// the texts and switches of the controls that show them, and the corrections of the
// specimens (the specimens themselves are made again from them).
struct EditState {
    session::Protocol protocol;
    session::Protocol wireframe;
    std::string protoname;
    session::BlockStructure blocks;
    std::vector<std::string> texts;  // the controls of `editControls`, in order
    std::vector<std::string> enables;
    std::uint64_t protocolRevision = 0, blocksRevision = 0;
    std::vector<session::Correction> corrections{};
    std::uint64_t correctionsRevision = 0;
    bool operator==(const EditState&) const = default;
};

EditState captureEdits(const Context& c);
// Puts the state back, controls included.
void restoreEdits(Context& c, const EditState& state);

// The changes that can be undone, newest last; a new change forgets what was undone.
class UndoHistory {
public:
    static constexpr std::size_t kMaxSteps = 200;

    // Remembers `before` when an action changed it.
    void record(EditState before, const EditState& after);
    // Both do nothing, and return false, when there is nothing to undo or redo.
    bool undo(Context& c);
    bool redo(Context& c);
    // Forgets every step; true when there was one.
    bool clear();

private:
    std::vector<EditState> m_undo;
    std::vector<EditState> m_redo;
};

}  // namespace vezedo::controller
