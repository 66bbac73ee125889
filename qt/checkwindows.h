#pragma once

#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "controller/actiontable.h"
#include "qt/distancewindow.h"
#include "qt/errorsummarywindow.h"
#include "shell/program.h"

namespace vezedo::qt {

// The windows of the specimen check and the measurement error, opened by the actions that
// compute them and brought up to date after every other action. Places a window it opens
// through the placement it is given.
class CheckWindows {
public:
    CheckWindows(shell::Program& program, std::function<void(QWidget*)> place);

    void follow(const controller::ActionRow& row);

    SpecimensWindow* specimensWindow() const { return m_specimensWindow; }
    ErrorSummaryWindow* errorWindow() const { return m_errorWindow; }

private:
    shell::Program& m_program;
    std::function<void(QWidget*)> m_place;
    QPointer<SpecimensWindow> m_specimensWindow;
    QPointer<ErrorSummaryWindow> m_errorWindow;
    // What the measurement error window shows was computed for these edit numbers.
    std::optional<std::pair<std::uint64_t, std::uint64_t>> m_errorShownFor;
    std::uint64_t m_shownData = 0;  // the specimen load the windows show
};

}  // namespace vezedo::qt
