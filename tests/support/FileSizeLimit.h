// Stands in for a full disk: while one lives, no file of this process grows beyond the given
// size; a write past it fails (EFBIG) instead of raising SIGXFSZ, as a write onto a full disk
// fails (ENOSPC). Every writer meets it, the program's own and the libraries' alike.
#pragma once

#include <csignal>
#include <cstddef>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(size_t bytes)
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &previousAction_);
        getrlimit(RLIMIT_FSIZE, &previousLimit_);
        rlimit limit = previousLimit_;
        limit.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previousLimit_);
        sigaction(SIGXFSZ, &previousAction_, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return active_; }

private:
    struct sigaction previousAction_ {};
    rlimit previousLimit_{};
    bool active_ = false;
};
