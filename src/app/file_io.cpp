#include "app/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "app/run_log.h"

namespace avelor {

namespace fs = std::filesystem;

namespace {

std::atomic<WriteStage> g_fault{WriteStage::none};

// True when a test asked this stage to fail; errno is then EIO.
bool injected(WriteStage stage)
{
    if (g_fault.load(std::memory_order_relaxed) != stage) return false;
    errno = EIO;
    return true;
}

constexpr std::size_t kChunk = std::size_t{1} << 16;

struct FileCloser {
    void operator()(std::FILE* f) const
    {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The file a write really lands on: a symbolic link is followed.
fs::path write_target(const std::string& path)
{
    fs::path target(path);
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) return resolved;
    }
    return target;
}

// A temporary file beside a target, removed again unless it was put in
// place.
class TempFile {
public:
    explicit TempFile(fs::path target) : target_(std::move(target)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile()
    {
        file_.reset();
        if (!name_.empty() && !placed_) ::unlink(name_.c_str());
    }

    const WriteFailure& failure() const { return failure_; }

    bool open()
    {
        if (injected(WriteStage::open)) return fail(WriteStage::open);
        const fs::path dir = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
        // A hidden name beside the target: ".NAME.XXXXXX".
        const std::string folder = dir.string();
        const std::string name = target_.filename().string();
        std::string pattern = folder;
        pattern += "/.";
        pattern += name;
        pattern += ".XXXXXX";
        std::vector<char> buffer(pattern.c_str(), pattern.c_str() + pattern.size() + 1);
        const int fd = ::mkstemp(buffer.data());
        if (fd < 0) return fail(WriteStage::open);
        name_.assign(buffer.data());
        keep_owner_and_mode(fd);
        file_.reset(::fdopen(fd, "wb"));
        if (!file_) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return fail(WriteStage::open);
        }
        return true;
    }

    bool write(const char* data, std::size_t size)
    {
        while (size > 0) {
            if (injected(WriteStage::write)) return fail(WriteStage::write);
            const std::size_t part = std::min(size, kChunk);
            if (std::fwrite(data, 1, part, file_.get()) != part) return fail(WriteStage::write);
            data += part;
            size -= part;
        }
        return true;
    }

    // Flushes, syncs and closes the temporary file.
    bool finish()
    {
        if (injected(WriteStage::flush) || std::fflush(file_.get()) != 0) return fail(WriteStage::flush);
        if (injected(WriteStage::fsync) || ::fsync(::fileno(file_.get())) != 0)
            return fail(WriteStage::fsync);
        std::FILE* raw = file_.release();
        const bool closed = std::fclose(raw) == 0;
        if (injected(WriteStage::close) || !closed) return fail(WriteStage::close);
        return true;
    }

    // The rename needs only the folder's write permission, so a target the
    // user may not write is refused here rather than silently replaced.
    bool put_in_place()
    {
        if (target_exists() && !file_is_writable(target_.string())) return fail(WriteStage::rename);
        if (injected(WriteStage::rename) || std::rename(name_.c_str(), target_.c_str()) != 0)
            return fail(WriteStage::rename);
        placed_ = true;
        sync_directory();
        return true;
    }

private:
    bool fail(WriteStage stage)
    {
        failure_ = {stage, errno};
        return false;
    }

    bool target_exists() const
    {
        struct stat st {};
        return ::stat(target_.c_str(), &st) == 0;
    }

    // An existing target keeps its permissions and, as far as the user may
    // give them away, its owner and group; a new one gets what the umask
    // allows. The owner goes first: a change of owner may clear mode bits.
    void keep_owner_and_mode(int fd) const
    {
        struct stat st {};
        if (::stat(target_.c_str(), &st) == 0) {
            // Only a privileged user may hand a file to another owner; the
            // group alone may still be kept. Neither is a reason to fail.
            const bool owner_kept = ::fchown(fd, st.st_uid, st.st_gid) == 0;
            const bool group_kept = owner_kept || ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) == 0;
            static_cast<void>(group_kept);
            ::fchmod(fd, st.st_mode & 07777);
            return;
        }
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }

    // Makes the rename itself durable; the file is already in place, so a
    // failure here does not undo the write.
    void sync_directory() const
    {
        const fs::path dir = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return;
        ::fsync(fd);
        ::close(fd);
    }

    fs::path target_;
    std::string name_;
    FilePtr file_;
    bool placed_ = false;
    WriteFailure failure_;
};

bool finish_write(TempFile& temp, WriteFailure* failure)
{
    const bool ok = temp.finish() && temp.put_in_place();
    if (!ok && failure) *failure = temp.failure();
    return ok;
}

}  // namespace

std::string_view write_stage_name(WriteStage stage)
{
    switch (stage) {
    case WriteStage::none: return "none";
    case WriteStage::read: return "read";
    case WriteStage::open: return "open";
    case WriteStage::write: return "write";
    case WriteStage::flush: return "flush";
    case WriteStage::fsync: return "fsync";
    case WriteStage::close: return "close";
    case WriteStage::rename: return "rename";
    }
    return "unknown";
}

void set_write_fault_for_testing(WriteStage stage) { g_fault.store(stage, std::memory_order_relaxed); }
WriteStage write_fault_for_testing() { return g_fault.load(std::memory_order_relaxed); }

bool write_file_atomically(const std::string& path, const std::string& text, WriteFailure* failure)
{
    TempFile temp(write_target(path));
    if (!temp.open() || !temp.write(text.data(), text.size())) {
        if (failure) *failure = temp.failure();
        return false;
    }
    return finish_write(temp, failure);
}

struct AtomicFileWriter::Impl {
    explicit Impl(const std::string& path) : temp(write_target(path)) {}
    TempFile temp;
};

AtomicFileWriter::AtomicFileWriter() = default;
AtomicFileWriter::~AtomicFileWriter() = default;

bool AtomicFileWriter::open(const std::string& path)
{
    impl_ = std::make_unique<Impl>(path);
    buffer_.clear();
    failure_ = {};
    if (impl_->temp.open()) return true;
    failure_ = impl_->temp.failure();
    return false;
}

bool AtomicFileWriter::flush_buffer()
{
    if (failed()) return false;
    if (!impl_) {
        failure_ = {WriteStage::open, EBADF};
        return false;
    }
    if (!impl_->temp.write(buffer_.data(), buffer_.size())) {
        failure_ = impl_->temp.failure();
        return false;
    }
    buffer_.clear();
    return true;
}

bool AtomicFileWriter::write(std::string_view text)
{
    if (failed()) return false;
    buffer_.append(text);
    return buffer_.size() < kChunk || flush_buffer();
}

bool AtomicFileWriter::commit()
{
    if (!flush_buffer()) return false;
    if (!finish_write(impl_->temp, &failure_)) return false;
    impl_.reset();
    return true;
}

bool file_copy(const std::string& from, const std::string& to, WriteFailure* failure)
{
    run_log().printf("file_copy\n  from %s\n  to %s\n", from.c_str(), to.c_str());
    auto fail = [failure](WriteStage stage, int error) {
        if (failure) *failure = {stage, error};
        return false;
    };

    struct stat source_stat {};
    struct stat dest_stat {};
    const bool source_known = ::stat(from.c_str(), &source_stat) == 0;
    if (source_known && ::stat(to.c_str(), &dest_stat) == 0 && source_stat.st_dev == dest_stat.st_dev &&
        source_stat.st_ino == dest_stat.st_ino)
        return true;

    FilePtr source(injected(WriteStage::read) ? nullptr : std::fopen(from.c_str(), "rb"));
    if (!source) return fail(WriteStage::read, errno);
    TempFile temp(write_target(to));
    if (!temp.open()) return fail(temp.failure().stage, temp.failure().error);
    std::vector<char> buffer(kChunk);
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), source.get());
        if (got > 0 && !temp.write(buffer.data(), got))
            return fail(temp.failure().stage, temp.failure().error);
        if (got < buffer.size()) break;
    }
    if (std::ferror(source.get())) return fail(WriteStage::read, errno);
    return finish_write(temp, failure);
}

bool file_is_writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

long long free_disk_bytes(const std::string& path)
{
    std::error_code ec;
    fs::path p(path);
    fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
    const fs::space_info info = fs::space(dir, ec);
    if (ec) return -1;
    return static_cast<long long>(info.available);
}

}  // namespace avelor
