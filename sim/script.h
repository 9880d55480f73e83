// The script commands of kelvane-sim: one command per line or separated by ';', '#' starts a
// comment. Commands live in a table, so a new command is one more entry.
#pragma once

#include "sim/session.h"

#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace sim {

// A command that failed; the message names the script and the line.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ScriptInterpreter {
public:
    using Arguments = std::vector<std::string>;
    struct Command {
        std::string name;  // one word, or two for a command of a group ("window open")
        std::string usage; // arguments, e.g. "MFD BUTTON [EVENT]"
        std::string help;
        size_t minArguments = 0;
        size_t maxArguments = 0;
        std::function<void(const Arguments&)> run;
    };

    ScriptInterpreter(Session& session, std::ostream& out);

    void AddCommand(Command command);
    const std::vector<Command>& Commands() const { return commands_; }
    // The command list for --help.
    std::string CommandHelp() const;

    // Runs a script's text; `source` names it in messages ("-e" or the file's name). Stops at
    // the first failing command with a ScriptError.
    void Run(const std::string& text, const std::string& source);
    void RunFile(const std::string& path);

    Session& GetSession() { return session_; }
    std::ostream& Out() { return out_; }

    // Argument readers for commands; each throws SessionError with a clear message.
    static int DisplayArgument(const std::string& text);
    // A cockpit display, or an open window by its name.
    DisplayRef AnyDisplayArgument(const std::string& text);
    static long IntegerArgument(const std::string& text, const char* what, int base = 10);

private:
    void Execute(const Arguments& words);

    Session& session_;
    std::ostream& out_;
    std::vector<Command> commands_;
};

// A display size "WxH", each side 128 to 1024, as --size and 'window size' take it: the message
// that says what is wrong with it, or an empty one.
std::string DisplaySizeError(const std::string& text);
// The size of a text that DisplaySizeError takes; throws SessionError with its message otherwise.
void ParseDisplaySize(const std::string& text, DWORD& width, DWORD& height);

// Splits a script line (comment already cut) into commands, and a command into words; double
// quotes group a word with blanks ("focus \"Deep Space 1\"").
std::vector<std::string> SplitCommands(const std::string& line);
std::vector<std::string> SplitWords(const std::string& command);

} // namespace sim
