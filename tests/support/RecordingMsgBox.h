// A message box that records what it is asked to show instead of showing it; it stands in for the
// real one for as long as it lives.
#pragma once

#include "MsgBox.h"

#include <string>
#include <vector>

class RecordingMsgBox final : public MsgBox {
public:
    struct Message {
        std::string text;
        Icon icon;
        std::string title;
    };
    RecordingMsgBox() { MsgBox::Install(this); }
    ~RecordingMsgBox() override { MsgBox::Install(nullptr); }
    RecordingMsgBox(const RecordingMsgBox&) = delete;
    RecordingMsgBox& operator=(const RecordingMsgBox&) = delete;

    void Show(const std::string& text, Icon icon, const std::string& title) override {
        messages.push_back({text, icon, title});
    }
    std::vector<Message> messages;
};
