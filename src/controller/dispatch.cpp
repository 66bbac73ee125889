// The action switch: a name runs its row of the action table; edits are counted and kept for
// undo as the row says.
#include <filesystem>

#include "controller/actiontable.h"
#include "controller/controller.h"
#include "controller/project.h"
#include "platform/error.h"

namespace vezedo::controller {

namespace {

constexpr std::string_view kFellThrough = "Lost, Lost, Lost am I! (Fell through case...)";

}  // namespace

std::vector<std::string_view> actionNames()
{
    std::vector<std::string_view> names;
    for (const ActionRow& row : actionTable())
        names.push_back(row.name);
    return names;
}

void Controller::vezedosw(std::span<const platform::Value> inputs)
{
    if (inputs.empty())
        throw Error("Input argument \"action\" is undefined.");
    if (!inputs.front().isString()) {
        m_rt.messages.showMessage(std::string(kFellThrough));
        return;
    }
    run(inputs.front().string());
}

void Controller::run(std::string_view action)
{
    const ActionRow* row = findAction(action);
    if (!row) {
        m_rt.messages.showMessage(std::string(kFellThrough));
        return;
    }
    Context c{m_rt, m_session};
    c.history = &m_history;
    // A load makes the file's folder current; a load the user stopped leaves it as it was.
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    try {
        runRow(c, *row);
    } catch (const Cancelled& stopped) {
        if (!ec)
            std::filesystem::current_path(folder, ec);
        std::string note = stopped.what;
        note += " cancelled: nothing was changed";
        m_rt.console.write(note + "\n");
        c.status(note);
    }
}

void Controller::runRow(Context& c, const ActionRow& row)
{
    const std::uint64_t loads = m_session.revisions.specimens;
    // A new data set may lack landmarks that earlier steps name: the history ends with it.
    struct AfterLoad {
        Controller& self;
        Context& c;
        std::uint64_t loads;
        ~AfterLoad()
        {
            if (self.m_session.revisions.specimens != loads && self.m_history.clear())
                c.status("Undo history cleared: its steps belong to the data set loaded before");
            self.showProjectInTitle(c);
        }
    } afterLoad{*this, c, loads};
    if (row.step != Step::Recorded) {
        row.run(c);
        return;
    }
    EditState before = captureEdits(c);
    try {
        row.run(c);
    } catch (...) {
        countEdit(c, std::move(before), row);
        throw;
    }
    countEdit(c, std::move(before), row);
}

// The main window's title names the open project and says when it has unsaved changes.
void Controller::showProjectInTitle(Context& c) noexcept
{
    try {
        const auto boxes = c.controls.specimensText().handles();
        if (boxes.empty())
            return;
        const std::optional<platform::Handle> window = c.rt.graphics.figureOf(boxes.front());
        if (!window)
            return;
        const std::string name = c.rt.graphics.object(*window).as<platform::FigureData>().name;
        if (!m_baseTitle)
            m_baseTitle = name;
        const std::string title = projectTitle(*m_baseTitle, m_session);
        if (title != name)
            c.rt.graphics.set(*window, "Name", platform::Value(title));
    } catch (const std::exception&) {
        // A title is no reason to fail an action.
    }
}

// A change takes fresh edit numbers for what it changed (what it read from a file counts as
// saved) and leaves an undo step.
void Controller::countEdit(Context& c, EditState before, const ActionRow& row)
{
    const EditState after = captureEdits(c);
    if (after == before)
        return;
    session::Revisions& r = m_session.revisions;
    if (after.protocol != before.protocol) {
        r.protocol = r.next();
        if (has(row.readsFromFile, Edits::Protocol))
            r.savedProtocol = r.protocol;
    }
    if (after.blocks != before.blocks) {
        r.blocks = r.next();
        if (has(row.readsFromFile, Edits::Blocks))
            r.savedBlocks = r.blocks;
    }
    if (after.corrections != before.corrections)
        r.corrections = r.next();
    m_history.record(std::move(before), captureEdits(c));
}

}  // namespace vezedo::controller
