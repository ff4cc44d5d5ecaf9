#include "platform/win/file_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace win {

ExclusiveFileLock::ExclusiveFileLock(std::mutex& threads, const std::filesystem::path& lockFile)
    : guard_(threads) {
    std::error_code ec;
    std::filesystem::create_directories(lockFile.parent_path(), ec);
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    while (::fcntl(fd_, F_OFD_SETLKW, &lock) != 0) {
        if (errno != EINTR) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
    }
}

ExclusiveFileLock::~ExclusiveFileLock() {
    if (fd_ >= 0) ::close(fd_);   // closing the description releases its lock
}

}  // namespace win
