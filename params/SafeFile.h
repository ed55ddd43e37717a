#pragma once

#include <cstddef>
#include <string>

// File access for the operator's own files: reads only regular files, never
// blocking on a FIFO or opening a device, and replaces a file so that it holds
// either the old or the whole new text, whatever moment the program dies at.
class SafeFile {
  public:
    // The whole content of a regular file of at most `maxBytes`; false for
    // anything else (missing, unreadable, a FIFO, a device, a folder, larger).
    static bool ReadRegular(const std::string& path, size_t maxBytes, std::string& content);
    // Replaces the file (through a symbolic link: the file it names) with
    // `text`, keeping its permissions; false when the target is not a regular
    // file, may not be written, or cannot be created. Nothing is left beside
    // it but, after a kill at the one unlucky moment, one hidden file that
    // the next save of the same target removes.
    static bool Replace(const std::string& path, const std::string& text);
    // Makes a new file holding `text`; false when the name exists (a link
    // that leads nowhere too) or the file cannot be made. It gets its name
    // only once complete.
    static bool Create(const std::string& path, const std::string& text);

  private:
    static std::string TargetPath(const std::string& path);
    static std::string StagingPath(const std::string& target);
    // An unnamed file in the target's folder; `named` when the file system has
    // none and the staging name itself was created.
    static int CreateStaging(const std::string& target, const std::string& staging, bool& named);
    static bool WriteAll(int fd, const std::string& text);
    // Gives the unnamed file `fd` the name; false when the name exists.
    static bool Link(int fd, const std::string& name);
};
