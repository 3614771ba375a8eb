/* A disk with bad sectors, for the tests: loaded with LD_PRELOAD, it makes
 * positioned reads of one file fail the way a failing card does.
 *
 *   QUEN_FAIL_FILE=PATH          the file whose reads fail (others read as usual)
 *   QUEN_FAIL_RANGES=OFF:LEN,... byte ranges that cannot be read: a read that
 *                                reaches one gives the bytes before it, a read
 *                                that starts inside one fails with EIO
 *   QUEN_FAIL_GONE_FROM=OFF      from this offset on every read fails with
 *                                ENODEV, as after the card reader was unplugged
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#define MAX_RANGES 64

static int configured = -1;
static dev_t fail_dev;
static ino_t fail_ino;
static uint64_t range_lo[MAX_RANGES], range_hi[MAX_RANGES];
static int ranges;
static uint64_t gone_from = UINT64_MAX;

static void configure(void) {
    const char* path = getenv("QUEN_FAIL_FILE");
    struct stat st;
    configured = 0;
    if (!path || stat(path, &st) != 0) return;
    fail_dev = st.st_dev;
    fail_ino = st.st_ino;
    const char* r = getenv("QUEN_FAIL_RANGES");
    while (r && *r && ranges < MAX_RANGES) {
        char* end;
        const uint64_t off = strtoull(r, &end, 10);
        if (*end != ':') break;
        const uint64_t len = strtoull(end + 1, &end, 10);
        range_lo[ranges] = off;
        range_hi[ranges] = off + len;
        ++ranges;
        r = *end == ',' ? end + 1 : end;
    }
    const char* g = getenv("QUEN_FAIL_GONE_FROM");
    if (g) gone_from = strtoull(g, NULL, 10);
    configured = 1;
}

static int is_failing_file(int fd) {
    struct stat st;
    if (configured < 0) configure();
    return configured == 1 && fstat(fd, &st) == 0 && st.st_dev == fail_dev && st.st_ino == fail_ino;
}

/* How many bytes from `off` may be read, or -1 with errno set. */
static ssize_t allowed(uint64_t off, size_t count) {
    uint64_t stop = off + count;
    if (off >= gone_from) {
        errno = ENODEV;
        return -1;
    }
    if (stop > gone_from) stop = gone_from;
    for (int i = 0; i < ranges; ++i)
        if (range_lo[i] < stop && range_hi[i] > off) stop = range_lo[i] > off ? range_lo[i] : off;
    if (stop <= off) {
        errno = EIO;
        return -1;
    }
    return (ssize_t)(stop - off);
}

typedef ssize_t (*pread_fn)(int, void*, size_t, off_t);

static ssize_t failing_pread(const char* name, int fd, void* buf, size_t count, off_t offset) {
    pread_fn real = (pread_fn)dlsym(RTLD_NEXT, name);
    if (count > 0 && offset >= 0 && is_failing_file(fd)) {
        const ssize_t n = allowed((uint64_t)offset, count);
        if (n < 0) return -1;
        count = (size_t)n;
    }
    return real(fd, buf, count, offset);
}

ssize_t pread(int fd, void* buf, size_t count, off_t offset) { return failing_pread("pread", fd, buf, count, offset); }
ssize_t pread64(int fd, void* buf, size_t count, off_t offset) {
    return failing_pread("pread64", fd, buf, count, offset);
}
