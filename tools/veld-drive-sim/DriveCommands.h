#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DriveModel.h"
#include "MotorModel.h"
#include "protocol/ReplyStation.h"

// The drive's side of the protocol: takes one received command line and
// builds the reply lines ("#", station character, ".", code, hex fields).
class DriveCommands {
  public:
    static constexpr int kPairsPerLine = 16;
    // The drive's receive buffer: a longer line is cut there and not answered.
    static constexpr size_t kMaxLine = 256;
    static constexpr int32_t kMaxStation = ReplyStation::kLast;  // one reply character
    // FRD 0 and FRD 1: firmware 1.05, hardware revision 3.
    static constexpr const char* kFirmwareVersion = "0105";
    static constexpr const char* kHardwareRevision = "0003";

    // `statePath` empty: PSV stores nothing.
    DriveCommands(DriveModel& model, int32_t station, std::string statePath);

    // The replies, without their line ends; none for a line addressed to
    // another station or to none.
    std::vector<std::string> Handle(const std::string& line);

    // Faults of the PRA reply for tests: the `omit` parameters are left out,
    // the pair of `misnumber` (unless -1) goes under number 110.
    void SetReadFaults(const std::vector<int32_t>& omit, int32_t misnumber);
    // Faults of writes: PWR to a `readOnly` parameter changes nothing; with
    // `noAck` only PRA and FRD are answered (the other commands still act).
    void SetWriteFaults(const std::vector<int32_t>& readOnly, bool noAck);
    // A silent drive acts on its lines and answers none.
    void SetSilent(bool silent) { m_bSilent = silent; }
    // The motor's RUN input goes on and off in its cycle (off: at rest).
    void SetRunCycle(bool on) { m_motor.SetRunCycle(on); }

  private:
    std::vector<std::string> Answer(const std::string& code, const std::vector<std::string>& args);
    std::vector<std::string> ReadAll() const;
    std::string Write(const std::vector<std::string>& args);
    std::string ReadOne(const std::vector<std::string>& args) const;
    std::string Version(const std::vector<std::string>& args) const;
    std::string Save();
    // STA, MTP, MIO, MIE, MAL and MVW from the motor as it is now; empty for
    // another code.
    std::string Monitor(const std::string& code);
    std::string Reply(const std::string& code, const std::string& fields = "") const;
    std::string Acknowledge(const std::string& code) const { return Reply(code, "OK"); }
    std::string Error(const std::string& code) const { return Reply("ERR", code); }

    DriveModel& m_model;
    int32_t m_station;
    std::string m_statePath;
    std::bitset<ParamTable::kCount> m_omitted;
    int32_t m_misnumbered = -1;
    std::bitset<ParamTable::kCount> m_readOnly;
    bool m_bNoAck = false;
    bool m_bSilent = false;
    MotorModel m_motor{m_model, MotorModel::Clock::now()};
};
