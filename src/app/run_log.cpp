#include "app/run_log.h"

#include <cstdarg>
#include <vector>

namespace avelor {

bool RunLog::open(const std::string& path)
{
    close();
    file_.reset(std::fopen(path.c_str(), "w"));
    if (!file_) return false;
    path_ = path;
    return true;
}

void RunLog::close()
{
    file_.reset();
    path_.clear();
}

void RunLog::write(std::string_view text)
{
    if (!file_) return;
    std::fwrite(text.data(), 1, text.size(), file_.get());
}

void RunLog::printf(const char* format, ...)
{
    if (!file_) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(file_.get(), format, args);
    va_end(args);
}

void RunLog::flush()
{
    if (file_) std::fflush(file_.get());
}

RunLog& run_log()
{
    static RunLog log;
    return log;
}

}  // namespace avelor
