// SPDX-License-Identifier: GPL-3.0-or-later
// A full disk, as a test can make one without mounting anything: while this
// lives, files of this process cannot grow past the limit, and a write past
// it fails with the system's reason (instead of the signal that would end
// the process).
#pragma once

#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_handler = ::signal(SIGXFSZ, SIG_IGN);
        m_ok = ::getrlimit(RLIMIT_FSIZE, &m_before) == 0;
        struct rlimit limited = m_before;
        limited.rlim_cur = bytes;
        m_ok = m_ok && ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        ::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool ok() const { return m_ok; }

private:
    struct rlimit m_before {};
    void (*m_handler)(int) = nullptr;
    bool m_ok = false;
};
