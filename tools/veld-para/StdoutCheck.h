#pragma once

// stdout carries a command's result, so losing any of it is a failure of its
// own: a full disk, a closed stream, a reader gone.
class StdoutCheck {
  public:
    // Before anything is opened: a closed stdin, stdout or stderr gets a
    // stand-in, so that no device opened later takes its number (the result
    // would go to the drive). stdout's stand-in refuses every write.
    static void HoldClosedStreams();
    // Writes what waits in stdout's buffer; false once any write to it failed.
    static bool Flush();
    // After the last output: flushes and closes stdout; false, with the
    // reason on stderr, when any of the output was lost.
    static bool Close();
};
