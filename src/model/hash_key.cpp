#include "model/hash_key.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>

#if __has_include(<sys/random.h>)
#include <sys/random.h>
#endif

namespace reuseblocks::detail {

namespace {

bool ReadFromGetrandom(unsigned char* bytes, std::size_t count) noexcept {
#if defined(GRND_NONBLOCK)
    // Non-blocking: early in boot, before the pool is ready, getrandom would wait.
    std::size_t got = 0;
    while (got < count) {
        const ssize_t read = ::getrandom(bytes + got, count - got, GRND_NONBLOCK);
        if (read > 0) {
            got += static_cast<std::size_t>(read);
        } else if (read == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
#else
    static_cast<void>(bytes);
    static_cast<void>(count);
    return false;
#endif
}

bool ReadFromDevice(unsigned char* bytes, std::size_t count) noexcept {
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::size_t got = 0;
    while (got < count) {
        const ssize_t read = ::read(fd, bytes + got, count - got);
        if (read > 0) {
            got += static_cast<std::size_t>(read);
        } else if (read == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(fd);
    return got == count;
}

std::uint64_t Mix(std::uint64_t z) noexcept {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Weaker than the system's source, but different in every process and hard to guess from
// outside: the clocks, the process ID, and addresses moved by address-space randomization.
HashKey LastResortKey() noexcept {
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto steady = std::chrono::steady_clock::now().time_since_epoch().count();
    int local = 0;
    const std::uint64_t a =
        Mix(static_cast<std::uint64_t>(wall) ^ (static_cast<std::uint64_t>(::getpid()) << 32));
    const std::uint64_t b =
        Mix(static_cast<std::uint64_t>(steady) ^ reinterpret_cast<std::uintptr_t>(&local) ^
            reinterpret_cast<std::uintptr_t>(&LastResortKey));
    return HashKey{Mix(a ^ b), Mix(a + b)};
}

}  // namespace

HashKey ReadHashKey() noexcept {
    const int savedErrno = errno;  // the host's errno is none of our business
    unsigned char bytes[sizeof(HashKey)];
    HashKey key{};
    if (ReadFromGetrandom(bytes, sizeof bytes) || ReadFromDevice(bytes, sizeof bytes)) {
        std::memcpy(&key, bytes, sizeof key);
    } else {
        key = LastResortKey();
    }
    errno = savedErrno;
    return key;
}

}  // namespace reuseblocks::detail
