#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "protocol/TxLineWriter.h"

// What became of the lines of a command that stopped before all of them went
// out (a signal, a lost port, a failed write): which went out, which did not,
// and whether the drive was left holding values it has not saved.
class SentLinesText {
  public:
    explicit SentLinesText(const std::vector<TxLineWriter::Gone>& lines) : m_lines(lines) {}

    // Some line failed or was not sent.
    bool Incomplete() const;
    // A PWR went out and no PSV after it: the drive holds values it has not saved.
    bool Unsaved() const;
    // The account on stderr.
    void Print() const;
    // Each line with "sent", "failed" or "not sent".
    nlohmann::ordered_json LinesJson() const;

  private:
    // What did not go out after the last PWR that did, as the note names it
    // ("PSV was", "COP and PSV were"); empty when a PSV followed it.
    std::string SaveLinesMissing() const;

    const std::vector<TxLineWriter::Gone>& m_lines;
};
