#pragma once

#include "shell/program.h"

namespace vezedo::qt {

// Whether the protocol, the blocks, the corrections of the specimens (and, with a project
// open, anything the project holds) changed since they were last saved or loaded: the
// session's edit numbers against the numbers last saved, so an edit undone is no change.
class UnsavedChanges {
public:
    explicit UnsavedChanges(shell::Program& program) : m_program(program) {}

    bool protocol() const { return revisions().protocolChanged(); }
    bool blocks() const { return revisions().blocksChanged(); }
    bool corrections() const { return revisions().correctionsChanged(); }
    bool project() const { return session().project && revisions().projectChanged(); }
    bool any() const { return protocol() || blocks() || corrections() || project(); }

private:
    const session::Session& session() const { return m_program.controller().session(); }
    const session::Revisions& revisions() const { return m_program.controller().session().revisions; }

    shell::Program& m_program;
};

}  // namespace vezedo::qt
