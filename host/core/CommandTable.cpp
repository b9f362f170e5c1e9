#include "host/core/CommandTable.h"

#include <algorithm>
#include <cctype>
#include <iomanip>
#include <sstream>

namespace kxdebug {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::optional<CommandLine> CommandLine::Parse(std::string_view text, std::string& error) {
    CommandLine line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    line.line_ = std::string(text);
    const std::string& s = line.line_;
    std::size_t i = 0;
    while (true) {
        while (i < s.size() && IsBlank(s[i])) ++i;
        if (i >= s.size()) break;
        Word word{{}, i, i};
        if (s[i] == '"') {
            const std::size_t close = s.find('"', i + 1);
            if (close == std::string::npos) {
                error = "unbalanced quote";
                return std::nullopt;
            }
            word.text = s.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            while (i < s.size() && !IsBlank(s[i])) ++i;
            word.text = s.substr(word.begin, i - word.begin);
        }
        word.end = i;
        line.words_.push_back(std::move(word));
    }
    return line;
}

std::string CommandLine::RestFrom(std::size_t i) const {
    if (i == 0) return line_;
    if (i > words_.size()) return {};
    const std::size_t from = words_[i - 1].end + 1;
    return from < line_.size() ? line_.substr(from) : std::string();
}

CommandTable::CommandTable() {
    Add({"help", "", "lists the commands", [this](const CommandArgs&, std::ostream& out, std::string&) {
             PrintHelp(out);
             return true;
         }});
    Add({"quit", "", "ends debugging and the program", nullptr});
}

void CommandTable::Add(HostCommand command) {
    auto same = [&](const HostCommand& c) { return c.name == command.name; };
    if (auto it = std::find_if(commands_.begin(), commands_.end(), same); it != commands_.end())
        *it = std::move(command);
    else
        commands_.push_back(std::move(command));
}

const HostCommand* CommandTable::Find(const CommandLine& line, std::size_t& nameWords) const {
    const HostCommand* best = nullptr;
    nameWords = 0;
    for (const HostCommand& c : commands_) {
        std::istringstream words(c.name);
        std::string w;
        std::size_t n = 0;
        bool match = true;
        while (words >> w) {
            if (n >= line.size() || line[n] != w) {
                match = false;
                break;
            }
            ++n;
        }
        if (match && n > nameWords) {
            best = &c;
            nameWords = n;
        }
    }
    return best;
}

CommandOutcome CommandTable::Run(std::string_view text, std::ostream& out) {
    std::string error;
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || text[first] == '#') return CommandOutcome::Empty;
    const auto line = CommandLine::Parse(text, error);
    std::size_t nameWords = 0;
    const HostCommand* command = line ? Find(*line, nameWords) : nullptr;
    if (line && !command) error = "unknown command '" + (*line)[0] + "' (help lists the commands)";
    if (command && !command->handler) return CommandOutcome::Quit;
    if (command && command->handler(CommandArgs(*line, nameWords), out, error)) return CommandOutcome::Done;
    out << "error: " << error << "\n";
    return CommandOutcome::Failed;
}

void CommandTable::PrintHelp(std::ostream& out) const {
    std::vector<const HostCommand*> sorted;
    for (const auto& c : commands_) sorted.push_back(&c);
    std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->name < b->name; });
    for (const HostCommand* c : sorted) {
        const std::string head = c->usage.empty() ? c->name : c->name + " " + c->usage;
        out << std::left << std::setw(32) << head << " " << c->summary << "\n";
    }
}

namespace {
std::optional<unsigned long> ParseDigits(const std::string& text, int base) {
    if (text.empty() || text.size() > 16) return std::nullopt;
    unsigned long value = 0;
    for (char c : text) {
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : std::isxdigit(static_cast<unsigned char>(c))
                          ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                          : 99;
        if (d >= base) return std::nullopt;
        value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(d);
    }
    return value;
}
bool HasHexPrefix(const std::string& t) { return t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'); }
}  // namespace

std::optional<unsigned long> ParseHex(const std::string& text) {
    return ParseDigits(HasHexPrefix(text) ? text.substr(2) : text, 16);
}

std::optional<unsigned long> ParseDecimal(const std::string& text) {
    return HasHexPrefix(text) ? ParseDigits(text.substr(2), 16) : ParseDigits(text, 10);
}

}  // namespace kxdebug
