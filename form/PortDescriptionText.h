#pragma once

#include <QStringList>

#include "serial/PortInventory.h"

// What is known of a serial port, in the GUI's words: by-id names,
// manufacturer and product as the device gives them, then "일련번호",
// "USB" and "드라이버" with their values.
class PortDescriptionText {
  public:
    static QStringList Parts(const PortInventory::Port& port);
};
