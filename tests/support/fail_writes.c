// A disk that fills up, for tests of the programs that write files: preloaded
// (LD_PRELOAD) into a program, it fails with ENOSPC every write to a file
// whose path contains $RLX_FAIL_WRITES (a folder, say: an unnamed temporary
// file shows only its folder) once $RLX_FAIL_WRITES_AFTER bytes (default 0)
// have been written to such files. Everything else is untouched.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/sendfile.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

static long long written_so_far;

// True when the write of count bytes to fd must fail.
static int must_fail(int fd, size_t count) {
  const char* pattern = getenv("RLX_FAIL_WRITES");
  if (!pattern || !*pattern)
    return 0;
  char link[64], path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0)
    return 0;
  path[n] = '\0';
  if (!strstr(path, pattern))
    return 0;
  const char* after = getenv("RLX_FAIL_WRITES_AFTER");
  const long long allowed = after ? atoll(after) : 0;
  if (written_so_far + (long long)count <= allowed) {
    written_so_far += (long long)count;
    return 0;
  }
  return 1;
}

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

ssize_t write(int fd, const void* buf, size_t count) {
  if (must_fail(fd, count)) {
    errno = ENOSPC;
    return -1;
  }
  return NEXT(write)(fd, buf, count);
}

ssize_t pwrite(int fd, const void* buf, size_t count, off_t offset) {
  if (must_fail(fd, count)) {
    errno = ENOSPC;
    return -1;
  }
  return NEXT(pwrite)(fd, buf, count, offset);
}

ssize_t pwrite64(int fd, const void* buf, size_t count, off64_t offset) {
  if (must_fail(fd, count)) {
    errno = ENOSPC;
    return -1;
  }
  return NEXT(pwrite64)(fd, buf, count, offset);
}

ssize_t writev(int fd, const struct iovec* iov, int iovcnt) {
  size_t count = 0;
  for (int i = 0; i < iovcnt; ++i)
    count += iov[i].iov_len;
  if (must_fail(fd, count)) {
    errno = ENOSPC;
    return -1;
  }
  return NEXT(writev)(fd, iov, iovcnt);
}

ssize_t sendfile(int out_fd, int in_fd, off_t* offset, size_t count) {
  if (must_fail(out_fd, count)) {
    errno = ENOSPC;
    return -1;
  }
  return NEXT(sendfile)(out_fd, in_fd, offset, count);
}

ssize_t copy_file_range(int fd_in, off64_t* off_in, int fd_out, off64_t* off_out, size_t len, unsigned flags) {
  if (must_fail(fd_out, len)) {
    errno = ENOSPC;
    return -1;
  }
  return NEXT(copy_file_range)(fd_in, off_in, fd_out, off_out, len, flags);
}
