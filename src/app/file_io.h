// Whole-file writes that never leave a damaged file behind.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace avelor {

// The steps of a whole-file write, in the order they happen. read is the
// source of a copy.
enum class WriteStage { none, read, open, write, flush, fsync, close, rename };

// Where a write failed and the system's error number (errno) there.
struct WriteFailure {
    WriteStage stage = WriteStage::none;
    int error = 0;
};

// "open", "write", ... for messages and logs.
std::string_view write_stage_name(WriteStage stage);

// Writes the text to a temporary file of its own beside the target (a
// unique name, so two running programs never share one), checks every
// write, the flush, the fsync and the close, then puts it in place with one
// rename over the target. On any failure the target is left byte for byte
// as it was, the temporary file is removed and, when failure is given, it
// says where and why. A symbolic link as target is written through. A new
// file gets the permissions the umask allows; an existing one keeps its
// own, and its owner and group where the user may set them. An existing
// target that the user may not write (file_is_writable) is not replaced:
// the write fails at the rename stage with EACCES (or what access() said).
bool write_file_atomically(const std::string& path, const std::string& text,
                           WriteFailure* failure = nullptr);

// A whole-file write built up piece by piece, for outputs too large to hold
// in memory: the pieces go to a temporary file beside the target, and
// commit() puts it in place as write_file_atomically does. A writer that is
// destroyed without a successful commit removes its temporary file and
// leaves the target as it was. After the first failure every further write
// is refused and commit() reports that failure.
class AtomicFileWriter {
public:
    AtomicFileWriter();
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool open(const std::string& path);
    bool write(std::string_view text);
    bool commit();
    bool failed() const { return failure_.stage != WriteStage::none; }
    const WriteFailure& failure() const { return failure_; }

private:
    struct Impl;
    bool flush_buffer();
    std::unique_ptr<Impl> impl_;
    std::string buffer_;
    WriteFailure failure_;
};

// Copies a file over another (replacing it) in the same way: the copy is
// written beside the destination and renamed over it only when complete.
// A file copied onto itself (the same file by device and inode, whatever
// the two path texts say) is left alone and counts as done. False on any
// failure, which the caller reports (" Failed to open " with the source
// for a read failure, else with the destination); the copy itself only
// writes its run-log line.
bool file_copy(const std::string& from, const std::string& to, WriteFailure* failure = nullptr);

// Whether the user may write the file (access() with W_OK; a missing file
// is not writable). On false errno says why.
bool file_is_writable(const std::string& path);

// Free bytes on the file system that would hold a file, or -1 when unknown.
long long free_disk_bytes(const std::string& path);

// Fault injection for tests: while set, every write_file_atomically and
// file_copy fails at this stage with EIO as if the system had refused it
// (the steps before it run for real; a failing close still closes). One
// process-wide setting read once per step, never set by the program itself.
void set_write_fault_for_testing(WriteStage stage);
WriteStage write_fault_for_testing();

// Sets a fault for one scope and clears it again.
class ScopedWriteFault {
public:
    explicit ScopedWriteFault(WriteStage stage) { set_write_fault_for_testing(stage); }
    ~ScopedWriteFault() { set_write_fault_for_testing(WriteStage::none); }
    ScopedWriteFault(const ScopedWriteFault&) = delete;
    ScopedWriteFault& operator=(const ScopedWriteFault&) = delete;
};

}  // namespace avelor
