// Undo and redo of the protocol and block edits.
#include "controller/undo.h"

#include "controller/actions.h"

namespace vezedo::controller {

namespace {

std::vector<Control> textControls(const MainControls& m)
{
    return {m.lineCount(), m.protocolText(), m.blockLines(), m.currentBlock(), m.blockCount()};
}

std::vector<Control> switchControls(const MainControls& m)
{
    return {m.setBlocksButton(), m.loadBlocksButton()};
}

}  // namespace

EditState captureEdits(const Context& c)
{
    EditState state{
        c.s.protocol, c.s.wireframe,          c.s.protoname,        c.s.blocks,      {},
        {},           c.s.revisions.protocol, c.s.revisions.blocks, c.s.corrections, c.s.revisions.corrections};
    for (const Control& control : textControls(c.controls))
        state.texts.push_back(control.handles().empty() ? std::string() : control.text());
    for (const Control& control : switchControls(c.controls))
        state.enables.push_back(control.handles().empty() ? std::string() : control.enable());
    return state;
}

void restoreEdits(Context& c, const EditState& state)
{
    // The specimens are made again from the corrections brought back, first: a user may stop
    // that refit (Cancelled), and nothing has changed then.
    std::optional<CorrectedState> refit;
    if (state.corrections != c.s.corrections)
        refit = prepareCorrections(c, state.corrections);
    c.s.protocol = state.protocol;
    c.s.wireframe = state.wireframe;
    c.s.protoname = state.protoname;
    c.s.blocks = state.blocks;
    c.s.revisions.protocol = state.protocolRevision;
    c.s.revisions.blocks = state.blocksRevision;
    const std::vector<Control> texts = textControls(c.controls);
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i].setText(state.texts[i]);
    const std::vector<Control> switches = switchControls(c.controls);
    for (std::size_t i = 0; i < switches.size(); ++i)
        if (!state.enables[i].empty())
            switches[i].setEnable(state.enables[i] == "on");
    c.s.lineh.reset();
    // Putting the refit in force redraws the plot.
    if (refit)
        putCorrections(c, std::move(*refit));
    if (state.corrections == c.s.corrections)
        c.s.revisions.corrections = state.correctionsRevision;
    // The plot shows the state brought back.
    if (!refit && !c.s.specimens.empty())
        showProto(c);
}

void UndoHistory::record(EditState before, const EditState& after)
{
    if (before == after)
        return;
    m_undo.push_back(std::move(before));
    if (m_undo.size() > kMaxSteps)
        m_undo.erase(m_undo.begin());
    m_redo.clear();
}

bool UndoHistory::clear()
{
    const bool had = !m_undo.empty() || !m_redo.empty();
    m_undo.clear();
    m_redo.clear();
    return had;
}

bool UndoHistory::undo(Context& c)
{
    if (m_undo.empty())
        return false;
    // The history moves only once the step is back: a refit stopped on the way leaves it as it was.
    EditState now = captureEdits(c);
    restoreEdits(c, m_undo.back());
    m_undo.pop_back();
    m_redo.push_back(std::move(now));
    return true;
}

bool UndoHistory::redo(Context& c)
{
    if (m_redo.empty())
        return false;
    EditState now = captureEdits(c);
    restoreEdits(c, m_redo.back());
    m_redo.pop_back();
    m_undo.push_back(std::move(now));
    return true;
}

}  // namespace vezedo::controller
