// The model's message boxes shown as QMessageBox.
#pragma once

#include "MsgBox.h"

class QWidget;

class QtMsgBox final : public MsgBox {
public:
    explicit QtMsgBox(QWidget* parent = nullptr) : parent_(parent) {}
    void Show(const std::string& text, Icon icon, const std::string& title) override;

private:
    QWidget* parent_;
};
