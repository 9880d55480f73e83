#include "sim/file_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sim {

std::string WriteFileReplacing(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".saving";
    errno = 0;
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return std::strerror(errno);
    int error = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() ? 0 : errno;
    if (std::fclose(file) != 0 && !error)
        error = errno ? errno : EIO;
    if (!error && std::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (!error)
        return std::string();
    std::remove(temporary.c_str());
    return std::strerror(error ? error : EIO);
}

} // namespace sim
