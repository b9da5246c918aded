// The model's way of showing a message to the user, without knowing any widget toolkit.
#pragma once

#include <string>

// A modal message with an OK button. The editor installs one that shows a real message box;
// tests install one that records.
class MsgBox {
public:
    enum class Icon { None, Critical, Information };

    virtual ~MsgBox() = default;
    virtual void Show(const std::string& text, Icon icon, const std::string& title) = 0;

    // nullptr puts back the default, which writes the message to standard error.
    static void Install(MsgBox* box);
    static MsgBox& Current();

    // The application's title, the caption of every message box.
    static constexpr const char* kTitle = "Tessaly";

protected:
    MsgBox() = default;
    MsgBox(const MsgBox&) = default;
    MsgBox& operator=(const MsgBox&) = default;
};
