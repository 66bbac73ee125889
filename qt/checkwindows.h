#pragma once

#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
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
    // `type` types into a box of the main window as the user would.
    CheckWindows(shell::Program& program, std::function<void(QWidget*)> place,
                 std::function<void(std::string_view, const std::string&)> type = {});

    void follow(const controller::ActionRow& row);

    SpecimensWindow* specimensWindow() const { return m_specimensWindow; }
    ErrorSummaryWindow* errorWindow() const { return m_errorWindow; }

private:
    shell::Program& m_program;
    std::function<void(QWidget*)> m_place;
    std::function<void(std::string_view, const std::string&)> m_type;
    QPointer<SpecimensWindow> m_specimensWindow;
    QPointer<ErrorSummaryWindow> m_errorWindow;
    // What the measurement error window shows was computed for these edit numbers (protocol,
    // replicate, corrections).
    std::optional<std::tuple<std::uint64_t, std::uint64_t, std::uint64_t>> m_errorShownFor;
    std::uint64_t m_shownData = 0;  // the specimen load the windows show
};

}  // namespace vezedo::qt
