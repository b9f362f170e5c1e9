#include "common/MessageSink.h"

#include <cstdio>

namespace tessary {

std::vector<std::string> RecordingMessageSink::ShownTexts() const {
    std::vector<std::string> texts;
    texts.reserve(shown.size());
    for (const auto& m : shown) texts.push_back(m.text);
    return texts;
}

std::string OneLine(const std::string& text) {
    std::string out;
    bool pendingSpace = false;
    for (char c : text) {
        if (c == '\n' || c == '\r' || c == '\t' || c == ' ') {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace) out += ' ';
        pendingSpace = false;
        out += c;
    }
    return out;
}

void StderrMessageSink::Show(const UserMessage& message) {
    if (message.caption.empty())
        std::fprintf(stderr, "%s\n", OneLine(message.text).c_str());
    else
        std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), OneLine(message.text).c_str());
}

bool StderrMessageSink::Ask(const UserMessage& question) {
    Show(question);
    std::fprintf(stderr, "(answered %s: no one to ask)\n", answer_ ? "Yes" : "No");
    return answer_;
}

}  // namespace tessary
