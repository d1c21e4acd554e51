#pragma once
#include <functional>
#include <string>

// The message of the error that the action raises, or "(no error)".
std::string MessageOf(const std::function<void()>& action);
