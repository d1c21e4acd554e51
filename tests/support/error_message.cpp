#include "support/error_message.h"

#include "system/exception.h"

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(no error)";
}
