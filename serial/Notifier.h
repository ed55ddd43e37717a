#pragma once

#include <string>

// Where the core's operator messages go: modal boxes in the GUI, stderr in the
// command-line tool, a record in tests. Notify blocks the calling thread until
// the operator has dismissed the message.
class Notifier {
  public:
    static constexpr const char* kAppCaption = "VELD_Host_Para";
    static constexpr const char* kTtyErrorCaption = "TTY Error!";

    virtual ~Notifier() = default;
    virtual void Notify(const std::string& caption, const std::string& text) = 0;
};
