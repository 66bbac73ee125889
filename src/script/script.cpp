#include "script/script.h"

#include <charconv>
#include <cmath>

#include "platform/error.h"

namespace vezedo::script {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

class LineReader {
public:
    LineReader(std::string_view rest, int line) : m_rest(trim(rest)), m_line(line) {}

    [[noreturn]] void fail(const std::string& problem) const
    {
        throw Error("line " + std::to_string(m_line) + ": " + problem);
    }

    bool done() const { return m_rest.empty(); }

    // One word, or one quoted text.
    std::string word(const char* what)
    {
        m_rest = trim(m_rest);
        if (m_rest.empty())
            fail(std::string("missing ") + what);
        if (m_rest.front() == '"')
            return quoted();
        std::size_t end = 0;
        while (end < m_rest.size() && !isBlank(m_rest[end]))
            ++end;
        std::string w(m_rest.substr(0, end));
        m_rest.remove_prefix(end);
        return w;
    }

    // The rest of the line: one quoted text, or the words as written.
    std::string text(const char* what, bool mayBeEmpty)
    {
        m_rest = trim(m_rest);
        if (m_rest.empty()) {
            if (!mayBeEmpty)
                fail(std::string("missing ") + what);
            return {};
        }
        if (m_rest.front() == '"') {
            std::string t = quoted();
            if (!trim(m_rest).empty())
                fail(std::string("unexpected words after the quoted ") + what);
            m_rest = {};
            return t;
        }
        std::string t(m_rest);
        m_rest = {};
        return t;
    }

    void expectEnd(const char* command)
    {
        if (!trim(m_rest).empty())
            fail(std::string("unexpected words after ") + command);
    }

private:
    std::string quoted()
    {
        std::string out;
        std::size_t i = 1;
        for (; i < m_rest.size() && m_rest[i] != '"'; ++i) {
            char c = m_rest[i];
            if (c == '\\') {
                if (++i >= m_rest.size())
                    break;
                const char e = m_rest[i];
                if (e == 'n')
                    c = '\n';
                else if (e == 't')
                    c = '\t';
                else if (e == '"' || e == '\\')
                    c = e;
                else
                    fail(std::string("unknown escape \\") + e + " in a quoted text (use \\n \\t \\\" \\\\)");
            }
            out += c;
        }
        if (i >= m_rest.size())
            fail("a quoted text is not closed");
        m_rest.remove_prefix(i + 1);
        return out;
    }

    std::string_view m_rest;
    int m_line;
};

Command parseLine(std::string_view content, int line)
{
    LineReader r(content, line);
    Command cmd;
    cmd.line = line;
    const std::string verb = r.word("command");
    if (verb == "answer") {
        const std::string kind = r.word("dialog answer (open, save or cancel)");
        if (kind == "cancel") {
            cmd.verb = Verb::AnswerCancel;
            r.expectEnd("answer cancel");
        } else if (kind == "open" || kind == "save") {
            cmd.verb = kind == "open" ? Verb::AnswerOpen : Verb::AnswerSave;
            cmd.first = r.text("file path", false);
        } else {
            r.fail("\"answer " + kind + "\": use answer open PATH, answer save PATH or answer cancel");
        }
    } else if (verb == "set") {
        cmd.verb = Verb::Set;
        cmd.first = r.word("control tag");
        cmd.second = r.text("text", true);
    } else if (verb == "value") {
        cmd.verb = Verb::Value;
        cmd.first = r.word("control tag");
        const std::string number = r.word("number");
        const char* end = number.data() + number.size();
        const auto result = std::from_chars(number.data(), end, cmd.number);
        if (result.ec != std::errc() || result.ptr != end || !std::isfinite(cmd.number))
            r.fail("\"" + number + "\" is not a number");
        r.expectEnd("value TAG NUMBER");
    } else if (verb == "press") {
        cmd.verb = Verb::Press;
        cmd.first = r.text("action name", false);
    } else if (verb == "dispatch") {
        cmd.verb = Verb::Dispatch;
        cmd.first = r.text("text (write \"\" for an empty one)", false);
    } else if (verb == "expect") {
        const std::string kind = r.word("check (string, msgbox or file)");
        if (kind == "string") {
            cmd.verb = Verb::ExpectString;
            cmd.first = r.word("control tag");
            cmd.second = r.text("text", true);
        } else if (kind == "msgbox") {
            cmd.verb = Verb::ExpectMsgbox;
            cmd.first = r.text("message text", true);
        } else if (kind == "file") {
            cmd.verb = Verb::ExpectFile;
            cmd.first = r.word("file path");
            if (r.word("SAME-AS") != "SAME-AS")
                r.fail("use expect file PATH SAME-AS PATH");
            cmd.second = r.text("second file path", false);
        } else {
            r.fail("\"expect " + kind + "\": use expect string, expect msgbox or expect file");
        }
    } else if (verb == "view") {
        cmd.verb = Verb::View;
        for (double* angle : {&cmd.number, &cmd.number2}) {
            const std::string number = r.word(angle == &cmd.number ? "azimuth" : "elevation");
            const char* end = number.data() + number.size();
            const auto result = std::from_chars(number.data(), end, *angle);
            if (result.ec != std::errc() || result.ptr != end || !std::isfinite(*angle))
                r.fail("\"" + number + "\" is not a number of degrees");
        }
        if (cmd.number2 < -90 || cmd.number2 > 90)
            r.fail("the elevation must lie between -90 and 90 degrees");
        r.expectEnd("view AZIMUTH ELEVATION");
    } else if (verb == "snapshot") {
        cmd.verb = Verb::Snapshot;
        cmd.first = r.text("file path", false);
    } else {
        r.fail("unknown command \"" + verb + "\" (use answer, set, value, press, dispatch, expect, view or snapshot)");
    }
    return cmd;
}

}  // namespace

std::vector<Command> parseScript(std::string_view text)
{
    std::vector<Command> commands;
    int line = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        ++line;
        const std::string_view content = trim(text.substr(start, end - start));
        start = end + 1;
        if (content.empty() || content.front() == '#')
            continue;
        commands.push_back(parseLine(content, line));
    }
    return commands;
}

std::string quoteText(std::string_view text)
{
    const bool plain = !text.empty() && !isBlank(text.front()) && !isBlank(text.back()) && text.front() != '"' &&
                       text.find_first_of("\n\t\r") == std::string_view::npos;
    if (plain)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace vezedo::script
