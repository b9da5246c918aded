// The installed message box, and the fallback used before any is installed.
#include "MsgBox.h"

#include <iostream>

namespace {

class StderrMsgBox final : public MsgBox {
public:
    void Show(const std::string& text, Icon /*icon*/, const std::string& title) override {
        std::cerr << title << ": " << text << '\n';
    }
};

StderrMsgBox fallback;
MsgBox* installed = nullptr;

} // namespace

void MsgBox::Install(MsgBox* box) {
    installed = box;
}

MsgBox& MsgBox::Current() {
    return installed != nullptr ? *installed : fallback;
}
