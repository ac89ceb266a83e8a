// Answers message boxes for one scope and keeps what they said.
#pragma once

#include "platform/message_box.h"

#include <string>
#include <vector>

class MessageRecorder {
public:
    explicit MessageRecorder(int answer = IDOK)
    {
        old_ = SetMessageBoxHook([this, answer](const MessageBoxRequest &r) {
            requests.push_back(r);
            texts.push_back(r.text);
            return answer;
        });
    }
    ~MessageRecorder() { SetMessageBoxHook(old_); }

    std::vector<MessageBoxRequest> requests;
    std::vector<std::string> texts;

private:
    MessageBoxHook old_;
};
