#pragma once

#include <chrono>
#include <string>

// A pseudo-terminal whose terminal side the port under test opens; the test
// plays the drive on the master side.
class PtyPair {
  public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    int MasterFd() const { return m_master; }

    void Write(const std::string& bytes);
    // Reads what arrives until `count` bytes came or `timeout` passed.
    std::string Read(size_t count, std::chrono::milliseconds timeout);
    // Reads until the master side has seen `text` or `timeout` passed.
    std::string ReadUntil(const std::string& text, std::chrono::milliseconds timeout);
    // The drive goes away.
    void CloseMaster();

  private:
    int m_master = -1;
    std::string m_slavePath;
};
