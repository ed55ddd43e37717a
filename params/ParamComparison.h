#pragma once

#include <cstdint>
#include <vector>

#include "params/ParamSet.h"

// Two parameter sets side by side (a file and the drive, what was sent and
// what came back, two files). The drive keeps 16 bits of a value and PRA
// replies carry them signed, so a value outside -32768..32767 never comes back
// as it was written (70000 comes back as 4464): such values are flagged.
class ParamComparison {
  public:
    struct Row {
        int32_t number = 0;
        bool hasA = false;
        bool hasB = false;
        int32_t a = 0;
        int32_t b = 0;
        // The values differ, or only one side holds the parameter.
        bool differ = false;
        // Edited bit by bit (37, 40, 41): `bits` tells which bits differ.
        bool bitField = false;
        uint32_t bits = 0;
        // A side holds a value that 16 bits cannot keep.
        bool beyond16 = false;

        // The numbers of the bits in `bits`, lowest first.
        std::vector<int> DifferingBits() const;
    };

    // One row for each of `numbers`, in their order.
    ParamComparison(const ParamSet& a, const ParamSet& b, const std::vector<int32_t>& numbers);

    const std::vector<Row>& Rows() const { return m_rows; }
    int Differences() const;
    // The differing rows first, then the others, each part in the given order.
    std::vector<Row> DifferingFirst() const;

    // The numbers either set holds, ascending: what two files are compared over.
    static std::vector<int32_t> NumbersOfEither(const ParamSet& a, const ParamSet& b);

    static bool Fits16(int32_t value) { return value >= INT16_MIN && value <= INT16_MAX; }
    // What the drive keeps of a written value, as a PRA reply carries it.
    static int32_t Kept16(int32_t value) {
        return static_cast<int16_t>(static_cast<uint16_t>(value));
    }

  private:
    std::vector<Row> m_rows;
};
