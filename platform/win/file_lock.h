// An exclusive lock for one read-modify-write of a shared file, held against the other threads of
// this process and against other processes at once.
//
// Files that are replaced by rename cannot carry their own lock (a writer would lock the old
// inode while the next one opens the new), so the lock lives on a separate lock file that is
// never replaced. Threads wait on a process mutex; processes on an open-file-description lock of
// the lock file, which the kernel drops when the process ends, so a crashed writer never leaves
// the file locked.
#pragma once

#include <filesystem>
#include <mutex>

namespace win {

class ExclusiveFileLock {
public:
    // Waits for `threads` and then for the lock on `lockFile`, creating it (and its folder) when
    // absent. Held() is false when the lock file cannot be opened or locked.
    ExclusiveFileLock(std::mutex& threads, const std::filesystem::path& lockFile);
    ~ExclusiveFileLock();
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    bool Held() const { return fd_ >= 0; }

private:
    std::lock_guard<std::mutex> guard_;
    int fd_ = -1;
};

}  // namespace win
