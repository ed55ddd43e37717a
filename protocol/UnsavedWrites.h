#pragma once

#include "protocol/TxLineWriter.h"

// Whether the drive holds values it has not saved: a PWR went out and no PSV
// after it. Told of every line that left, in order.
class UnsavedWrites {
  public:
    void OnLineGone(const TxLineWriter::Gone& gone);
    bool Unsaved() const { return m_bUnsaved; }
    // A COP went out after the last PWR: only PSV is missing.
    bool Applied() const { return m_bApplied; }

  private:
    bool m_bUnsaved = false;
    bool m_bApplied = false;
};
