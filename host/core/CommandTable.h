#pragma once
// The host's commands: one per line, each a name of one or more words and its
// arguments. Modules add their commands to the one table; the longest name that
// matches the line's first words wins, so "mem read" and "mem write" can sit beside
// each other and beside a plain "mem".

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kxdebug {

// A line split into words. Blanks separate words; a word in double quotes may hold
// blanks. Each word keeps where it stood, so that a command can take the rest of the
// line exactly as typed.
class CommandLine {
public:
    static std::optional<CommandLine> Parse(std::string_view line, std::string& error);
    std::size_t size() const { return words_.size(); }
    bool empty() const { return words_.empty(); }
    const std::string& operator[](std::size_t i) const { return words_[i].text; }
    // The text after word i - 1 and the one blank that ends it, exactly as typed
    // (empty when nothing follows).
    std::string RestFrom(std::size_t i) const;

private:
    struct Word {
        std::string text;
        std::size_t begin, end;  // in line_, quotes included
    };
    std::string line_;
    std::vector<Word> words_;
};

// A command's view of its line: its arguments start after its name.
class CommandArgs {
public:
    CommandArgs(const CommandLine& line, std::size_t first) : line_(line), first_(first) {}
    std::size_t size() const { return line_.size() - first_; }
    bool empty() const { return size() == 0; }
    const std::string& operator[](std::size_t i) const { return line_[first_ + i]; }
    std::string RestFrom(std::size_t i) const { return line_.RestFrom(first_ + i); }

private:
    const CommandLine& line_;
    std::size_t first_;
};

// A handler writes its results to out and answers true, or leaves its reason in error
// and answers false.
using CommandHandler = std::function<bool(const CommandArgs& args, std::ostream& out, std::string& error)>;

struct HostCommand {
    std::string name;     // "echo", "mem read"
    std::string usage;    // the arguments, as help shows them
    std::string summary;  // one line
    CommandHandler handler;
};

enum class CommandOutcome { Empty, Done, Failed, Quit };

class CommandTable {
public:
    CommandTable();  // with help and quit
    void Add(HostCommand command);
    // Runs one line; a failure prints "error: <why>" as its result.
    CommandOutcome Run(std::string_view line, std::ostream& out);
    void PrintHelp(std::ostream& out) const;
    const HostCommand* Find(const CommandLine& line, std::size_t& nameWords) const;

private:
    std::vector<HostCommand> commands_;
};

// Numbers as the commands take them.
std::optional<unsigned long> ParseHex(const std::string& text);      // with or without 0x
std::optional<unsigned long> ParseDecimal(const std::string& text);  // decimal, or hexadecimal with 0x

}  // namespace kxdebug
