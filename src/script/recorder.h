#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.h"

namespace vezedo::script {

// Writes what the user does as a session script, line by line as it happens, so that
// replaying it does the same and checks that the same message boxes come up. File paths are
// written relative to the script's folder.
class SessionRecorder {
public:
    // Creates (or replaces) the script; an Error names the file when it cannot be written.
    explicit SessionRecorder(const std::filesystem::path& path);

    const std::filesystem::path& path() const { return m_path; }
    void set(const std::string& tag, const std::string& text);
    void value(const std::string& tag, double number);
    void view(double azimuth, double elevation);
    // An action runs between begin and end; the dialogs it asks go before its press line, as
    // a replay needs its answers queued first.
    // The message boxes it shows go after its press line, as the checks a replay must pass.
    void beginPress(const std::string& action);
    void endPress();
    void answer(platform::FileDialogKind kind, const std::optional<platform::FileChoice>& choice);
    void message(std::string_view text);

private:
    void line(const std::string& text);

    std::filesystem::path m_path;
    std::filesystem::path m_folder;
    std::ofstream m_out;
    std::optional<std::string> m_pendingPress;
    std::vector<std::string> m_pressMessages;
};

// Dialogs that tell a recorder (when one is set) what the user answered.
class RecordingDialogs : public platform::DialogService {
public:
    explicit RecordingDialogs(platform::DialogService& inner) : m_inner(inner) {}
    void setRecorder(SessionRecorder* recorder) { m_recorder = recorder; }

    // The next dialog asked is answered with `files` without being shown (as an entry of the
    // recent list answers it); a recording writes that answer as any other.
    void answerNextWith(std::vector<platform::FileChoice> files) { m_preset = std::move(files); }
    // Forgets an answer no dialog took (the action stopped before asking).
    void dropPresetAnswer() { m_preset.reset(); }

    std::optional<platform::FileChoice> choose(const platform::FileRequest& request) override;
    std::vector<platform::FileChoice> chooseMany(const platform::FileRequest& request) override;

private:
    std::vector<platform::FileChoice> ask(const platform::FileRequest& request, bool many);

    platform::DialogService& m_inner;
    SessionRecorder* m_recorder = nullptr;
    std::optional<std::vector<platform::FileChoice>> m_preset;
};

// Message boxes that tell a recorder (when one is set) what they showed.
class RecordingMessages : public platform::MessageService {
public:
    explicit RecordingMessages(platform::MessageService& inner) : m_inner(inner) {}
    void setRecorder(SessionRecorder* recorder) { m_recorder = recorder; }

    void showMessage(std::string_view text, std::string_view title = {}) override;

private:
    platform::MessageService& m_inner;
    SessionRecorder* m_recorder = nullptr;
};

}  // namespace vezedo::script
