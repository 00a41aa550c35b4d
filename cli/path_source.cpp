#include "cli/path_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "tag/file_descriptor.h"
#include "tag/folder_walk.h"

namespace sonatag::cli {

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

class SinkVisitor : public WalkVisitor {
public:
    explicit SinkVisitor(PathSink& sink) : sink_(sink) {}

    void OnFile(const std::string& path) override { going_ = sink_.Submit(path); }
    void OnUnreadableFolder(const std::string& path, int error) override {
        going_ = sink_.SubmitFailure(path + ": cannot read the folder: " + Reason(error));
    }
    bool KeepGoing() override { return going_; }

private:
    PathSink& sink_;
    bool going_ = true;
};

// Hands on one path, walking it when it is a folder and the command says so; false to stop.
bool Feed(const Arguments& arguments, const std::string& path, PathSink& sink) {
    if (!arguments.recursive || !IsFolder(path)) return sink.Submit(path);
    SinkVisitor visitor(sink);
    WalkFolder(path, SortNaturally, visitor);
    return visitor.KeepGoing();
}

// Hands on each path of the list read from fd, as the pieces arrive; false to stop.
bool FeedList(const Arguments& arguments, const std::string& listName, int fd, PathSink& sink) {
    const char separator = arguments.nullSeparated ? '\0' : '\n';
    std::string buffer(64 * 1024, '\0');
    std::string path;
    for (;;) {
        const ssize_t count = ::read(fd, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return sink.SubmitFailure(listName + ": cannot read the list of files: " + Reason(errno));
        if (count == 0) break;
        std::string_view chunk(buffer.data(), static_cast<std::size_t>(count));
        while (!chunk.empty()) {
            const std::size_t end = chunk.find(separator);
            path.append(chunk.substr(0, end));
            if (end == std::string_view::npos) break;
            chunk.remove_prefix(end + 1);
            if (path.empty()) continue;  // an empty line names no file
            if (!Feed(arguments, path, sink)) return false;
            path.clear();
        }
    }
    return path.empty() || Feed(arguments, path, sink);
}

}  // namespace

bool FeedPaths(const Arguments& arguments, Console& console, PathSink& sink) {
    int listFd = -1;
    const bool fromStdin = arguments.filesFrom && *arguments.filesFrom == "-";
    if (arguments.filesFrom && !fromStdin) {
        listFd = ::open(arguments.filesFrom->c_str(), O_RDONLY | O_CLOEXEC);
        if (listFd < 0) {
            console.Error(*arguments.filesFrom + ": cannot open the list of files: " + Reason(errno));
            return false;
        }
    }
    const FileDescriptor list(listFd);
    for (const std::string_view file : arguments.files) {
        if (!Feed(arguments, std::string(file), sink)) return true;
    }
    if (fromStdin) FeedList(arguments, "standard input", STDIN_FILENO, sink);
    if (list.valid()) FeedList(arguments, *arguments.filesFrom, list.get(), sink);
    return true;
}

}  // namespace sonatag::cli
