// The read floor as a program of its own, to run through xargs beside sonatag-cli and other
// tools: the system calls any reader of the last 128 bytes of each file named must make.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    char block[128];
    for (int i = 1; i < argc; ++i) {
        const int fd = ::open(argv[i], O_RDONLY | O_CLOEXEC);
        struct stat status {};
        ::fstat(fd, &status);
        if (status.st_size >= static_cast<off_t>(sizeof block))
            (void)::pread(fd, block, sizeof block, status.st_size - static_cast<off_t>(sizeof block));
        ::close(fd);
    }
    return 0;
}
