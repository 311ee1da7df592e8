#pragma once
// The message boxes of the history and export paths, titled with the
// application's title. The windows implement them; tests answer them.

#include <string>

namespace tlvx::history {

inline constexpr const char* kApplicationTitle = "Tallyvex";

class MessageBoxes {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~MessageBoxes() = default;
    // Information icon, OK button.
    virtual void information(const std::string& text) = 0;
    // Warning icon, OK button.
    virtual void warning(const std::string& text) = 0;
    // Question icon with Yes, No and Cancel; only Yes proceeds.
    virtual Answer question(const std::string& text) = 0;
};

}  // namespace tlvx::history
