#include "tools/render/pending_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/render/render_error.h"

namespace render {

PendingOutput::PendingOutput(std::string path) : path_(std::move(path))
{
    struct stat info;
    if (stat(path_.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throw RenderError("cannot write " + path_ + ": it is a folder");

    const auto slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    std::string pattern = folder + "." + name + ".tmp-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    const int fd = mkstemp(buffer.data());
    if (fd < 0) throw RenderError("cannot write " + path_ + ": " + std::strerror(errno));
    temporary_ = buffer.data();

    // mkstemp makes the file private; the finished file gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
}

PendingOutput::~PendingOutput()
{
    if (!committed_) unlink(temporary_.c_str());
}

void PendingOutput::Commit()
{
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0)
        throw RenderError("cannot write " + path_ + ": " + std::strerror(errno));
    committed_ = true;
}

} // namespace render
