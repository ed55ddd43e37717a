#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A command line as it goes out, "#<station>.<code>[ <arg>...]" and its
// carriage return, taken apart to tell reads and writes from the rest; the
// operator's manual lines too.
class SentCommand {
  public:
    // False for a line that is not in the command format.
    static bool Parse(std::string_view line, SentCommand& command);

    int32_t Station() const { return m_station; }
    const std::string& Code() const { return m_code; }
    const std::vector<std::string>& Args() const { return m_args; }

    // PRA: the whole set is asked for.
    bool IsReadAll() const { return m_code == "PRA"; }
    // A command that changes the drive's parameters (PWR, PDF).
    bool Writes() const { return m_code == "PWR" || m_code == "PDF"; }
    // A line the journal must have recorded what came before: a write, COP or PSV.
    bool ChangesDrive() const { return Writes() || m_code == "COP" || m_code == "PSV"; }
    // PSV ends a write group.
    bool EndsWriteGroup() const { return m_code == "PSV"; }
    // The drive has no defined reply to PWR, COP, PSV and PDF: such a line is
    // done once it went out. Every other code is answered.
    bool Unanswered() const;
    // The number and value of a PWR line; false for any other line, or one
    // whose arguments are not two decimal numbers with a number in 0..109.
    bool ParamWrite(int32_t& number, int32_t& value) const;

  private:
    int32_t m_station = 0;
    std::string m_code;
    std::vector<std::string> m_args;
};
