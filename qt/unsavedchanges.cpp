#include "qt/unsavedchanges.h"

#include <algorithm>
#include <array>

namespace vezedo::qt {

namespace {

constexpr std::array<std::string_view, 8> kProtocolEdits{"AddLine",  "DeleteLine",  "NewProto", "LoadProto",
                                                         "LoadWire", "ClearTarget", "Undo",     "Redo"};
constexpr std::array<std::string_view, 10> kBlockEdits{"SetBlocks", "AddBlocks",    "BlockEnter", "BlockUp",
                                                       "BlockDown", "ShowAllBlock", "LoadBlock",  "ClearTarget",
                                                       "Undo",      "Redo"};

template <std::size_t N> bool among(const std::array<std::string_view, N>& names, std::string_view action)
{
    return std::find(names.begin(), names.end(), action) != names.end();
}

}  // namespace

UnsavedChanges::UnsavedChanges(shell::Program& program, std::function<std::size_t()> setbacks)
    : m_setbacks(std::move(setbacks))
{
    m_subscription = program.onAction([this](const shell::ActionEvent& event) { onAction(event); });
}

void UnsavedChanges::onAction(const shell::ActionEvent& event)
{
    const std::size_t setbacks = m_setbacks ? m_setbacks() : 0;
    if (event.phase == shell::ActionPhase::Started) {
        m_setbacksAtStart = setbacks;
        return;
    }
    m_protocol = m_protocol || among(kProtocolEdits, event.action);
    m_blocks = m_blocks || among(kBlockEdits, event.action);
    if (setbacks != m_setbacksAtStart)
        return;
    if (event.action == "SaveProtocol")
        m_protocol = false;
    else if (event.action == "SaveMatrix")
        m_blocks = false;
}

}  // namespace vezedo::qt
