#pragma once

#include <string>
#include <string_view>
#include <vector>

// Session scripts: one command per line, replayed headless to reproduce a session.
namespace vezedo::script {

enum class Verb {
    AnswerOpen,    // answer open PATH
    AnswerSave,    // answer save PATH
    AnswerCancel,  // answer cancel
    Set,           // set TAG TEXT
    Value,         // value TAG NUMBER
    Press,         // press ACTION
    Dispatch,      // dispatch TEXT
    ExpectString,  // expect string TAG TEXT
    ExpectMsgbox,  // expect msgbox TEXT
    ExpectFile,    // expect file PATH SAME-AS PATH
    Snapshot,      // snapshot PATH
    View,          // view AZIMUTH ELEVATION
};

struct Command {
    int line = 0;
    Verb verb = Verb::Press;
    std::string first;   // path, tag, action or text
    std::string second;  // text or second path
    double number = 0;
    double number2 = 0;  // the elevation of a view
};

// Reads a whole script. Comments (first non-blank character "#") and blank lines are
// skipped. A text argument runs to the end of the line (trimmed) or, in double quotes, keeps
// its blanks and understands \n \t \" \\. Throws an Error naming the line for an unknown
// command, a missing or malformed argument, or an unclosed quote.
std::vector<Command> parseScript(std::string_view text);

// The text as a script argument that reads back exactly: as is when it can, else quoted.
std::string quoteText(std::string_view text);

}  // namespace vezedo::script
