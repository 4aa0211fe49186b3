// Failures are exceptions. Every kind is a class of its own, derived from
// Failure, and carries a fixed message; handlers never catch them, the window
// procedure does and reports them in the failure box.
#pragma once

#include <exception>
#include <string>

#include "core/texts.h"

class Failure : public std::exception {
public:
    explicit Failure(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

class EClipboardFailure : public Failure {
public:
    EClipboardFailure() : Failure(texts::kCannotOpenClipboard) {}
};
