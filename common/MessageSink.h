#pragma once
// The seam through which core code talks to the person in front of the program.
// Core classes never open a window: the studio plugs in message boxes, command-line
// programs and libraries without a display print one line, tests record.

#include <string>
#include <vector>

namespace tessary {

enum class MessageIcon { None, Information, Exclamation, Stop, Question };

struct UserMessage {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // An OK box: returns once the person has seen it.
    virtual void Show(const UserMessage& message) = 0;
    // A Yes/No question: true for Yes.
    virtual bool Ask(const UserMessage& question) = 0;
    // A Yes/No/Cancel question; without a Cancel button of its own a sink answers
    // Yes or No.
    enum class Answer { Yes, No, Cancel };
    virtual Answer AskYesNoCancel(const UserMessage& question) { return Ask(question) ? Answer::Yes : Answer::No; }
};

// Remembers everything and answers questions with a fixed reply; used by tests and
// by programs that collect the messages of a run for their own output.
class RecordingMessageSink : public MessageSink {
public:
    explicit RecordingMessageSink(bool answer = true) : answer_(answer) {}
    void Show(const UserMessage& message) override { shown.push_back(message); }
    bool Ask(const UserMessage& question) override {
        asked.push_back(question);
        return answer_;
    }
    void SetAnswer(bool answer) { answer_ = answer; }
    std::vector<std::string> ShownTexts() const;

    std::vector<UserMessage> shown;
    std::vector<UserMessage> asked;

private:
    bool answer_;
};

// One line per message on standard error; questions get the given default answer.
class StderrMessageSink : public MessageSink {
public:
    explicit StderrMessageSink(bool answer = false) : answer_(answer) {}
    void Show(const UserMessage& message) override;
    bool Ask(const UserMessage& question) override;

private:
    bool answer_;
};

// Message texts carry line breaks meant for a box; a one-line rendering joins them.
std::string OneLine(const std::string& text);

}  // namespace tessary
