#pragma once

#include "protocol/TxLineWriter.h"

// Whether the drive holds values it has not saved: a PWR went out and no PSV
// after it. Told of every line that left, in order.
class UnsavedWrites {
  public:
    void OnLineGone(const TxLineWriter::Gone& gone);
    bool Unsaved() const { return m_bUnsaved; }

  private:
    bool m_bUnsaved = false;
};
