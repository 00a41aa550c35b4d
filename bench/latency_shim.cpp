// Loaded with LD_PRELOAD, makes every file operation of the tag layer 1 ms slower, as a file
// on a network share would be: open (and openat), flock, fstat, pread, pwrite, ftruncate and
// close.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

#include <cstdarg>

namespace {

void Wait() {
    const timespec oneMillisecond{0, 1'000'000};
    ::nanosleep(&oneMillisecond, nullptr);
}

template <class Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

mode_t ModeOf(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    static const auto next = Next<int (*)(const char*, int, ...)>("open");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    Wait();
    return next(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    static const auto next = Next<int (*)(const char*, int, ...)>("open64");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    Wait();
    return next(path, flags, mode);
}

int openat(int folder, const char* path, int flags, ...) {
    static const auto next = Next<int (*)(int, const char*, int, ...)>("openat");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    Wait();
    return next(folder, path, flags, mode);
}

int openat64(int folder, const char* path, int flags, ...) {
    static const auto next = Next<int (*)(int, const char*, int, ...)>("openat64");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    Wait();
    return next(folder, path, flags, mode);
}

int close(int fd) {
    static const auto next = Next<int (*)(int)>("close");
    Wait();
    return next(fd);
}

int flock(int fd, int operation) {
    static const auto next = Next<int (*)(int, int)>("flock");
    Wait();
    return next(fd, operation);
}

int fstat(int fd, struct stat* status) {
    static const auto next = Next<int (*)(int, struct stat*)>("fstat");
    Wait();
    return next(fd, status);
}

ssize_t pread(int fd, void* data, size_t count, off_t offset) {
    static const auto next = Next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    Wait();
    return next(fd, data, count, offset);
}

ssize_t pread64(int fd, void* data, size_t count, off_t offset) {
    static const auto next = Next<ssize_t (*)(int, void*, size_t, off_t)>("pread64");
    Wait();
    return next(fd, data, count, offset);
}

ssize_t pwrite(int fd, const void* data, size_t count, off_t offset) {
    static const auto next = Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    Wait();
    return next(fd, data, count, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t count, off_t offset) {
    static const auto next = Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite64");
    Wait();
    return next(fd, data, count, offset);
}

int ftruncate(int fd, off_t length) {
    static const auto next = Next<int (*)(int, off_t)>("ftruncate");
    Wait();
    return next(fd, length);
}

}  // extern "C"
