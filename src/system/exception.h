#pragma once
#include <stdexcept>
#include <string>

// The general error that carries a message text; the standard error box shows what().
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
